#include "cli/dump.h"

#include "cli/json.h"

namespace tarvik::cli {

std::string ItemName(const std::string& entryText) {
    size_t dot = entryText.find('.');
    return text::Trim(dot == std::string::npos ? std::string_view(entryText)
                                               : std::string_view(entryText).substr(dot + 1));
}

namespace {

void WriteValue(JsonWriter& json, const Value* v) {
    if (v && v->IsText()) {
        json.String(v->str);
    } else if (v && v->IsNumber()) {
        json.Number(v->num, v->kind);
    } else {
        json.Number(0);  // a name without a value reads as 0
    }
}

}  // namespace

std::string DumpState(const Engine& engine, const std::vector<ShownMessage>& messages,
                      const std::vector<ShownInput>& inputs, const AudioRecord& audio,
                      const std::vector<std::string>& htmlPages) {
    JsonWriter json;
    json.BeginObject();

    json.Key("text");
    json.String(engine.ScreenText());

    // BtnLabels and BtnCommands keep stale slots after the list is cleared, so the list itself sets the
    // count.
    json.Key("buttons");
    json.BeginArray();
    const auto& captions = engine.buttons();
    const auto& labels = engine.buttonLabels();
    const auto& commands = engine.buttonCommands();
    for (size_t i = 0; i < captions.size(); ++i) {
        json.BeginObject();
        json.Key("caption");
        json.String(captions[i]);
        json.Key("label");
        json.String(i < labels.size() ? labels[i] : std::string());
        json.Key("commands");
        json.String(i < commands.size() ? commands[i] : std::string());
        if (engine.buttonLink(i) != 0) {
            json.Key("link");
            json.Bool(true);
        }
        json.EndObject();
    }
    json.EndArray();

    json.Key("inventory");
    json.BeginArray();
    const auto& entries = engine.inventory();
    for (int i = 0; i <= engine.invLast() && i < static_cast<int>(entries.size()); ++i) {
        json.BeginObject();
        json.Key("entry");
        json.String(entries[i].text);
        json.Key("name");
        json.String(ItemName(entries[i].text));
        json.Key("count");
        json.Number(entries[i].count, text::NumKind::Int32);
        json.EndObject();
    }
    json.EndArray();

    json.Key("actions");
    json.BeginArray();
    for (const auto& a : engine.itemActions()) json.String(a);
    json.EndArray();

    json.Key("variables");
    json.BeginArray();
    for (const auto& name : engine.varNames()) {
        json.BeginObject();
        json.Key("name");
        json.String(name);
        json.Key("value");
        WriteValue(json, engine.FindVariable(name));
        json.EndObject();
    }
    json.EndArray();

    json.Key("messages");
    json.BeginArray();
    for (const auto& m : messages) {
        json.BeginObject();
        json.Key("title");
        json.String(m.title);
        json.Key("text");
        json.String(m.text);
        json.EndObject();
    }
    json.EndArray();

    json.Key("inputs");
    json.BeginArray();
    for (const auto& in : inputs) {
        json.BeginObject();
        json.Key("title");
        json.String(in.title);
        json.Key("prompt");
        json.String(in.prompt);
        json.EndObject();
    }
    json.EndArray();

    // Pictures: slots and overlays the quest has set, files as the quest named them.
    {
        const PictureModel& pm = engine.pictures();
        // The pictures ever set, each under its number: slots count from 1, overlays from kFirstOverlay.
        auto placed = [&json](const char* numberKey, const auto& pictures, int first) {
            json.BeginArray();
            for (size_t i = 0; i < pictures.size(); ++i) {
                const PictureState& p = pictures[i];
                if (!p.used) continue;
                json.BeginObject();
                json.Key(numberKey);
                json.Number(static_cast<double>(i) + first, text::NumKind::Int32);
                json.Key("file");
                json.String(p.file);
                json.Key("top");
                json.Number(p.top, text::NumKind::Int32);
                json.Key("left");
                json.Number(p.left, text::NumKind::Int32);
                json.Key("visible");
                json.Bool(p.visible);
                json.EndObject();
            }
            json.EndArray();
        };
        json.Key("pictures");
        json.BeginObject();
        json.Key("slots");
        placed("slot", pm.images, 1);
        json.Key("background");
        json.String(pm.background);
        json.Key("window");
        json.BeginObject();
        json.Key("visible");
        json.Bool(pm.windowVisible);
        json.Key("image");
        json.String(pm.image);
        json.Key("caption");
        json.String(pm.caption);
        json.Key("overlays");
        placed("index", pm.overlays, PictureModel::kFirstOverlay);
        json.EndObject();
        // Pictures in the story's text, in the order they stand; only when there are any, so that a dump of
        // the language's own quests stays as it was.
        bool inlineListed = false;
        for (const auto& run : engine.textRuns()) {
            if (run.picture.empty()) continue;
            if (!inlineListed) {
                json.Key("inline");
                json.BeginArray();
                inlineListed = true;
            }
            json.BeginObject();
            json.Key("file");
            json.String(run.picture);
            json.EndObject();
        }
        if (inlineListed) json.EndArray();
        json.EndObject();
    }

    // What the game waits for, so a script can tell that it waits for typed text.
    json.Key("waiting");
    json.String(engine.waitingFor());
    // Names are UTF-8 already: written as they are, not converted from code page 1251.
    json.Key("audio");
    json.BeginObject();
    json.Key("music");
    json.Utf8String(audio.music);
    json.Key("music_started");
    json.BeginArray();
    for (const auto& f : audio.musicStarted) json.Utf8String(f);
    json.EndArray();
    json.Key("sounds");
    json.BeginArray();
    for (const auto& f : audio.sounds) json.Utf8String(f);
    json.EndArray();
    json.EndObject();

    // The HTML view: whether it is shown, and every page it showed.
    json.Key("html");
    json.BeginObject();
    json.Key("visible");
    json.Bool(engine.htmlVisible());
    json.Key("pages");
    json.BeginArray();
    for (const auto& page : htmlPages) json.String(page);
    json.EndArray();
    json.EndObject();

    // Continue, undo and transcript.
    json.Key("undo");
    json.Number(static_cast<double>(engine.undoSteps()), text::NumKind::Int32);

    const Options& o = engine.options();
    json.Key("options");
    json.BeginObject();
    json.Key("Soobit");
    json.Bool(o.Soobit);
    json.Key("clk");
    json.Bool(o.clk);
    json.Key("Zvuk");
    json.Bool(o.Zvuk);
    json.Key("Music");
    json.Bool(o.Music);
    json.Key("SvBlock");
    json.Bool(o.SvBlock);
    json.Key("inv");
    json.Bool(o.inv);
    json.EndObject();

    json.Key("dialect");
    json.Bool(engine.dialect());

    json.EndObject();
    return json.str();
}

}  // namespace tarvik::cli
