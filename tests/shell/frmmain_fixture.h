// A main window on the offscreen platform with no settings file and no splash, and helpers to write quests,
// let queued events run and answer modal dialogs from a timer.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "shell/frmmain.h"
#include "text/text.h"

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tarvik::shell::testing {

inline QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class WindowTest : public ::testing::Test {
public:
    // Lets queued player events (and the runs they start) happen.
    static void Settle() {
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        ASSERT_TRUE(m_Dir.isValid());
        // Kept games go to this test's own folder: never the user's, never another test's.
        qputenv("XDG_STATE_HOME", m_Dir.filePath("state").toUtf8());
        w = std::make_unique<frmMain>();
        w->SetSettingsFile({});
        w->SetSplashEnabled(false);
        w->SetHelpFolder(m_Dir.path().toStdString());
        w->Startup(QString());
        // Reopening a quest asks nothing unless a test is about kept games.
        w->SetContinueEnabled(false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // A test that would hang fails instead: the run is stopped and the test reports it.
        m_Watchdog.setSingleShot(true);
        QObject::connect(&m_Watchdog, &QTimer::timeout, [this] {
            m_TimedOut = true;
            w->engine().RequestStop();
            // A dialog that must be answered ignores closing; done() ends it all the same.
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(QDialog::Rejected);
            else if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_Watchdog.start(20000);
    }

    void TearDown() override {
        m_Watchdog.stop();
        // A wait for a dialog that never came ends with its test: it must not answer the next test's dialogs.
        delete s_Waits;
        s_Waits = nullptr;
        EXPECT_FALSE(m_TimedOut) << "the window did not finish the run";
        w.reset();
        Settle();
    }

    // Writes a quest (UTF-8 text, lines separated by \n) in code page 1251 with CR LF line ends.
    QString WriteQuest(const QString& name, const std::string& utf8) {
        std::string body;
        for (char c : utf8) {
            if (c == '\n')
                body += "\r\n";
            else
                body += c;
        }
        return WriteFile(name, text::Utf8ToCp1251(body));
    }

    QString WriteFile(const QString& name, const std::string& bytes) {
        QString path = m_Dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QString Path(const QString& name) const { return m_Dir.filePath(name); }

    template <class T>
    T* Find(const char* name) const {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString Screen() const { return Find<QTextEdit>("txtText")->toPlainText(); }

    std::string Var(const char* name) {
        const Value* v = w->engine().FindVariable(name);
        return v ? text::Cp1251ToUtf8(v->ToText()) : std::string("<unset>");
    }

    // Runs `action` once a modal window of type T is up (from inside its own event loop).
    template <class T>
    static void WhenModal(std::function<void(T*)> action, int triesLeft = 500) {
        if (!s_Waits) s_Waits = new QObject;
        QTimer::singleShot(10, s_Waits, [action = std::move(action), triesLeft] {
            if (T* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
                action(modal);
            } else if (triesLeft > 0) {
                WhenModal<T>(std::move(action), triesLeft - 1);
            }
        });
    }

    static void After(int ms, std::function<void()> action) { QTimer::singleShot(ms, std::move(action)); }

    static inline QObject* s_Waits = nullptr;  // the context of this test's waits for dialogs

    // A double click as the window system delivers it: press, release, double click, release.
    void DoubleClick(QListWidget* list, int row) const {
        const QPoint at = ItemCentre(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }

    QPoint ItemCentre(QListWidget* list, int row) const {
        return list->visualItemRect(list->item(row)).center();
    }

    QTemporaryDir m_Dir;
    std::unique_ptr<frmMain> w;
    QTimer m_Watchdog;
    bool m_TimedOut = false;
};

}  // namespace tarvik::shell::testing
