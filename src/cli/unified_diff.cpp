#include "cli/unified_diff.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tarvik::cli {

namespace {

struct Line {
    std::string_view text;  // without its line end
    bool ended = true;      // followed by "\n"
    bool operator==(const Line& o) const { return text == o.text && ended == o.ended; }
};

std::vector<Line> SplitLines(std::string_view s) {
    std::vector<Line> lines;
    size_t from = 0;
    while (from < s.size()) {
        size_t nl = s.find('\n', from);
        if (nl == std::string_view::npos) {
            lines.push_back({s.substr(from), false});
            break;
        }
        lines.push_back({s.substr(from, nl - from), true});
        from = nl + 1;
    }
    return lines;
}

enum class Op : char { Same = ' ', Del = '-', Add = '+' };

// Beyond this many differing lines the shortest edit script costs too much memory (it keeps d² offsets);
// the middle is then shown as all old lines out and all new lines in, which is still a correct diff.
constexpr long kMaxEdits = 4000;

// Myers' greedy shortest edit script for a[0..n) -> b[0..m).
std::vector<Op> EditScript(const std::vector<Line>& a, const std::vector<Line>& b) {
    const long n = static_cast<long>(a.size()), m = static_cast<long>(b.size());
    const long max = n + m;
    std::vector<Op> ops;
    if (max == 0) return ops;
    std::vector<long> v(static_cast<size_t>(2 * max + 2), 0);
    std::vector<std::vector<long>> trace;
    const long offset = max + 1;
    long found = -1;
    for (long d = 0; d <= std::min(max, kMaxEdits) && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                    : v[offset + k - 1] + 1;
            long y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) {
        ops.assign(static_cast<size_t>(n), Op::Del);
        ops.insert(ops.end(), static_cast<size_t>(m), Op::Add);
        return ops;
    }
    // Walk back from the end through the saved frontiers (trace[d] holds diagonals -d..d before step d).
    long x = n, y = m;
    for (long d = found; d > 0; --d) {
        const std::vector<long>& before = trace[static_cast<size_t>(d)];
        auto at = [&](long k) { return before[static_cast<size_t>(k + d)]; };
        const long k = x - y;
        const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        const long prevK = down ? k + 1 : k - 1;
        const long prevX = at(prevK), prevY = prevX - prevK;
        // Snake back to where the step ended, then the step itself.
        const long stepX = down ? prevX : prevX + 1, stepY = down ? prevY + 1 : prevY;
        while (x > stepX && y > stepY) {
            ops.push_back(Op::Same);
            --x, --y;
        }
        ops.push_back(down ? Op::Add : Op::Del);
        x = prevX, y = prevY;
    }
    while (x > 0 && y > 0) {
        ops.push_back(Op::Same);
        --x, --y;
    }
    std::reverse(ops.begin(), ops.end());
    return ops;
}

std::string Range(size_t start, size_t count) {
    // A hunk that holds no line of a side names the line before it.
    std::string s = std::to_string(count == 0 ? start : start + 1);
    if (count != 1) {
        s += ',';
        s += std::to_string(count);
    }
    return s;
}

}  // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName, int context) {
    const std::vector<Line> a = SplitLines(before), b = SplitLines(after);
    // The shared head and tail cost the search nothing.
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    if (head == a.size() && head == b.size()) return {};
    std::vector<Line> midA(a.begin() + static_cast<long>(head), a.end() - static_cast<long>(tail));
    std::vector<Line> midB(b.begin() + static_cast<long>(head), b.end() - static_cast<long>(tail));
    std::vector<Op> ops(head, Op::Same);
    const std::vector<Op> mid = EditScript(midA, midB);
    ops.insert(ops.end(), mid.begin(), mid.end());
    ops.insert(ops.end(), tail, Op::Same);

    // Line numbers on each side at every op.
    std::vector<size_t> posA(ops.size() + 1), posB(ops.size() + 1);
    for (size_t i = 0; i < ops.size(); ++i) {
        posA[i + 1] = posA[i] + (ops[i] != Op::Add);
        posB[i + 1] = posB[i] + (ops[i] != Op::Del);
    }

    std::string out = "--- " + beforeName + "\n+++ " + afterName + "\n";
    const size_t ctx = static_cast<size_t>(std::max(context, 0));
    size_t i = 0;
    while (i < ops.size()) {
        if (ops[i] == Op::Same) {
            ++i;
            continue;
        }
        // A hunk runs from the change's context to the last change closer than two contexts to the one
        // before.
        const size_t begin = i >= ctx ? i - ctx : 0;
        size_t last = i;
        for (size_t j = i; j < ops.size() && j <= last + 2 * ctx + 1; ++j)
            if (ops[j] != Op::Same) last = j;
        const size_t end = std::min(ops.size(), last + 1 + ctx);
        out += "@@ -" + Range(posA[begin], posA[end] - posA[begin]) + " +" +
               Range(posB[begin], posB[end] - posB[begin]) + " @@\n";
        for (size_t j = begin; j < end; ++j) {
            const Line& line = ops[j] == Op::Add ? b[posB[j]] : a[posA[j]];
            out += static_cast<char>(ops[j]);
            out += line.text;
            out += '\n';
            if (!line.ended) out += "\\ No newline at end of file\n";
        }
        i = end;
    }
    return out;
}

}  // namespace tarvik::cli
