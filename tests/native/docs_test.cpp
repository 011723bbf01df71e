// The user documentation read the way a formula writer uses it: every
// formula on a page calls an export with a number of arguments it takes,
// every log text a page names is one the library can write, each long page
// opens with its box of common use and common mistakes, the overview table
// lists every export that acts on another program, the limits and the
// readers of each setting are the code's own, and every page renders to
// HTML without a code fence or a file name leaking into its text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "alarms/alert_file.h"
#include "blocks/block_format.h"
#include "common/settings.h"
#include "host/export_table.h"
#include "lines/tdx_line_format.h"
#include "tools/harness/lib/export_readers.h"
#include "tools/harness/lib/gbk_utf8.h"

namespace {

const std::string kTop = TARVEX_SOURCE_DIR;

std::string file_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Page {
    std::string name;  // relative to docs/
    std::string text;
};

// The Markdown pages, and with `examples` also the formula files.
std::vector<Page> pages(bool examples) {
    std::vector<Page> out;
    for (const char* dir : {"", "examples"}) {
        if (*dir && !examples) continue;
        for (const auto& f : std::filesystem::directory_iterator(kTop + "/docs/" + dir)) {
            std::string ext = f.path().extension().string();
            if (ext != ".md" && !(*dir && ext == ".txt")) continue;
            out.push_back({(*dir ? std::string(dir) + "/" : "") + f.path().filename().string(), file_text(f.path())});
        }
    }
    return out;
}

// ---- Formula calls -------------------------------------------------------

// How many arguments each formula export takes, as its code reads them: the
// ones it needs, and the last one it reads. The host's formulas pass at
// least one, so an export that reads none takes exactly one (written 0).
struct Arity {
    const char* function;
    int least, most;
};
const Arity kArity[] = {
    {"systime", 1, 1},    {"minutes", 1, 1},     {"time0", 1, 1},      {"SumSec", 1, 1},
    {"msg", 1, 1},        {"bknumb", 1, 1},      {"save2blk", 2, 3},   {"saveInt2blk", 2, 3},
    {"inblock", 2, 2},    {"del2blk", 2, 2},     {"savedata", 2, 3},   {"savedataR", 2, 3},
    {"SAVEDATA_CAPITAL", 3, 3}, {"saveS", 2, 2}, {"saveDay", 1, 1},    {"ReadData", 2, 3},
    {"readfile", 1, 2},   {"Tline", 2, 4},       {"TlineLow", 2, 4},   {"TlineAll", 4, 4},
    {"TLineS", 2, 4},     {"TlineNear", 2, 4},   {"TDXlineAll", 4, 4}, {"Trade", 2, 2},
    {"TradeFS", 1, 1},    {"Deal", 1, 3},        {"almtime", 1, 1},    {"ClearAlarm", 1, 1},
    {"AlarmOnOff", 1, 1}, {"get_alarm_data", 1, 1}, {"GetSmartMsg", 1, 1}, {"FB", 2, 2},
    {"is_main_dzh", 1, 1}, {"is_HK_dzh", 1, 1},  {"LableGet", 1, 1},   {"OutLog", 2, 2},
    {"SQLit3", 2, 2},     {"Save2Mt4", 1, 1},    {"Save2Get", 1, 1},   {"TDX", 1, 1},
    {"TDXTrade", 2, 3},   {"StockPositions", 1, 1}, {"LKBS", 1, 1},
};

struct FormulaCall {
    std::string function;
    int arguments = 0;  // -1: no closing parenthesis
    std::string text;   // as written, for the failure message
};

// Every `"TARVEX@name"(...)` in `text`, its arguments counted at the top
// level of the parentheses.
std::vector<FormulaCall> formula_calls(const std::string& text) {
    std::vector<FormulaCall> out;
    const std::string mark = "\"TARVEX@";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        size_t name = at + mark.size(), end = name;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
        if (end == name || end + 1 >= text.size() || text[end] != '"' || text[end + 1] != '(') continue;
        FormulaCall call;
        call.function = text.substr(name, end - name);
        int depth = 0, commas = 0;
        bool empty = true;
        size_t i = end + 1;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c == '(') ++depth;
            else if (c == ')' && --depth == 0) break;
            else if (c == ',' && depth == 1) ++commas;
            else if (depth == 1 && !std::isspace(static_cast<unsigned char>(c))) empty = false;
        }
        call.arguments = i == text.size() ? -1 : (empty && commas == 0 ? 0 : commas + 1);
        call.text = text.substr(at, std::min(i + 1, text.size()) - at);
        out.push_back(call);
    }
    return out;
}

// ---- Log texts ------------------------------------------------------------

// The string literals of the library's sources (adjacent literals joined),
// with their escapes decoded: every text the library can write to its log
// is made of these.
std::vector<std::string> source_literals() {
    std::vector<std::string> out;
    for (const char* dir : {"host", "common", "formulas", "blocks", "datafiles", "lines", "invest", "alarms",
                            "bridges", "platform"}) {
        for (const auto& f : std::filesystem::directory_iterator(kTop + "/" + dir)) {
            const std::string s = file_text(f.path());
            bool joining = false;
            for (size_t i = 0; i < s.size(); ++i) {
                if (s.compare(i, 2, "//") == 0) {
                    i = s.find('\n', i);
                    if (i == std::string::npos) break;
                } else if (s.compare(i, 2, "/*") == 0) {
                    i = s.find("*/", i);
                    if (i == std::string::npos) break;
                    ++i;
                } else if (s[i] == '\'') {
                    for (++i; i < s.size() && s[i] != '\''; ++i)
                        if (s[i] == '\\') ++i;
                } else if (s[i] == '"') {
                    std::string lit;
                    for (++i; i < s.size() && s[i] != '"'; ++i) {
                        if (s[i] != '\\' || i + 1 >= s.size()) {
                            lit += s[i];
                            continue;
                        }
                        char e = s[++i];
                        lit += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == '0' ? '\0' : e;
                    }
                    if (joining) out.back() += lit;
                    else out.push_back(lit);
                    joining = true;
                    continue;
                }
                if (!std::isspace(static_cast<unsigned char>(s[i]))) joining = false;
            }
        }
    }
    return out;
}

// A placeholder of a log text, <路径> or <n>: angle brackets around words
// with a letter or a Chinese character, so "<-->" and "<=0" stay text.
bool is_placeholder(const std::string& inner) {
    if (inner.empty()) return false;
    for (unsigned char c : inner)
        if (c >= 0x80 || std::isalpha(c)) return true;
    return false;
}

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \n"), e = s.find_last_not_of(" \n");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The fixed pieces of a log text between its placeholders, trimmed.
std::vector<std::string> fixed_pieces(const std::string& log_text) {
    std::vector<std::string> out;
    std::string piece;
    for (size_t i = 0; i < log_text.size(); ++i) {
        size_t close = log_text[i] == '<' ? log_text.find('>', i + 1) : std::string::npos;
        if (close != std::string::npos && log_text.find('<', i + 1) > close &&
            is_placeholder(log_text.substr(i + 1, close - i - 1))) {
            out.push_back(trimmed(piece));
            piece.clear();
            i = close;
            continue;
        }
        piece += log_text[i];
    }
    out.push_back(trimmed(piece));
    return out;
}

bool in_some_literal(const std::vector<std::string>& literals, const std::string& piece) {
    for (const std::string& l : literals)
        if (l.find(piece) != std::string::npos) return true;
    return false;
}

// Whether some literal (trimmed) ends with `x`, starts with it, or is it.
enum class Fit { ends, starts, whole };
bool some_literal(const std::vector<std::string>& literals, const std::string& x, Fit fit) {
    for (const std::string& l : literals) {
        const std::string t = trimmed(l);
        if (t.size() < x.size()) continue;
        if ((fit == Fit::ends && t.compare(t.size() - x.size(), x.size(), x) == 0) ||
            (fit == Fit::starts && t.compare(0, x.size(), x) == 0) || (fit == Fit::whole && t == x))
            return true;
    }
    return false;
}

// Whether `rest` is whole literals joined by spaces, the last one possibly
// cut short (a placeholder follows it).
bool joined_from_start(const std::vector<std::string>& literals, const std::string& rest) {
    if (some_literal(literals, rest, Fit::starts)) return true;
    for (size_t k = rest.find(' '); k != std::string::npos; k = rest.find(' ', k + 1))
        if (some_literal(literals, rest.substr(0, k), Fit::whole) &&
            joined_from_start(literals, trimmed(rest.substr(k + 1))))
            return true;
    return false;
}

// Whether the piece lies in one literal, or is literals joined by a space
// as the log joins a message and its texts ("inblock error" and
// "当前不是大智慧6.0.3版本"): the end of one, whole ones, the start of one.
bool made_of_literals(const std::vector<std::string>& literals, const std::string& piece) {
    if (in_some_literal(literals, piece)) return true;
    for (size_t k = piece.find(' '); k != std::string::npos; k = piece.find(' ', k + 1))
        if (some_literal(literals, piece.substr(0, k), Fit::ends) &&
            joined_from_start(literals, trimmed(piece.substr(k + 1))))
            return true;
    return false;
}

std::vector<std::string> code_spans(const std::string& line) {
    std::vector<std::string> out;
    for (size_t a = line.find('`'); a != std::string::npos; a = line.find('`', a + 1)) {
        size_t b = line.find('`', a + 1);
        if (b == std::string::npos) break;
        out.push_back(line.substr(a + 1, b - a - 1));
        a = b;
    }
    return out;
}

std::vector<std::string> table_cells(const std::string& line) {
    std::vector<std::string> cells;
    std::string t = trimmed(line);
    if (t.size() < 2 || t.front() != '|') return cells;
    std::string cell;
    bool in_code = false;
    for (size_t i = 1; i < t.size(); ++i) {
        if (t[i] == '`') in_code = !in_code;
        if (t[i] == '|' && !in_code) {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += t[i];
        }
    }
    return cells;
}

// The log texts a page names: the code spans in table columns headed
// "日志", and those that follow the word 日志 in a sentence.
std::vector<std::string> named_log_texts(const std::string& page) {
    std::vector<std::string> out;
    std::stringstream ss(page);
    std::string line;
    std::vector<bool> log_column;
    bool fenced = false;
    while (std::getline(ss, line)) {
        if (line.rfind("```", 0) == 0) fenced = !fenced;
        if (fenced) continue;
        std::vector<std::string> cells = table_cells(line);
        if (cells.empty()) {
            log_column.clear();
        } else if (log_column.empty()) {  // the heading row
            for (const std::string& c : cells) log_column.push_back(c.find(u8"日志") != std::string::npos);
        } else {
            for (size_t i = 0; i < cells.size() && i < log_column.size(); ++i)
                if (log_column[i])
                    for (const std::string& span : code_spans(cells[i])) out.push_back(span);
        }
        for (const char* lead : {u8"日志 `", u8"日志`", u8"日志写 `", u8"日志为 `", u8"日志：`"})
            for (size_t a = line.find(lead); a != std::string::npos; a = line.find(lead, a + 1)) {
                size_t open = line.find('`', a), close = line.find('`', open + 1);
                if (close != std::string::npos) out.push_back(line.substr(open + 1, close - open - 1));
            }
    }
    return out;
}

}  // namespace

TEST(Docs, EveryFormulaCallsItsExportWithArgumentsItTakes) {
    std::map<std::string, Arity> arity;
    for (const Arity& a : kArity) arity[a.function] = a;
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        if (!e.built || e.arg_bytes != 4) continue;  // savedata0 is no formula export
        EXPECT_EQ(arity.count(e.function), 1u) << e.function << " has no arity";
    }
    int calls = 0;
    for (const Page& p : pages(true)) {
        for (const FormulaCall& c : formula_calls(p.text)) {
            ++calls;
            auto a = arity.find(c.function);
            if (a == arity.end()) {
                ADD_FAILURE() << p.name << ": " << c.text << " calls no formula export";
                continue;
            }
            EXPECT_TRUE(c.arguments >= a->second.least && c.arguments <= a->second.most)
                << p.name << ": " << c.text << " passes " << c.arguments << " arguments; " << c.function
                << " takes " << a->second.least << " to " << a->second.most;
        }
    }
    EXPECT_GT(calls, 80);
}

TEST(Docs, TheCallCounterCountsTopLevelArguments) {
    struct Case {
        const char* text;
        int arguments;
    };
    const Case cases[] = {
        {"X:\"TARVEX@bknumb\"();", 0},
        {"\"TARVEX@systime\"(0) >= 145500;", 1},
        {"\"TARVEX@LKBS\"(IF(a,1,IF(b,2,0)));", 1},
        {"\"TARVEX@TlineAll\"(C, 5 , 1.01,240)", 4},
        {"\"TARVEX@FB\"(DYNAINFO(3)*IF(C>=DYNAINFO(3),1,-1), 500000)", 2},
        {"\"TARVEX@Tline\"(C,5", -1},
    };
    for (const Case& c : cases) {
        std::vector<FormulaCall> calls = formula_calls(c.text);
        ASSERT_EQ(calls.size(), 1u) << c.text;
        EXPECT_EQ(calls[0].arguments, c.arguments) << c.text;
    }
    EXPECT_TRUE(formula_calls(u8"\"TARVEX@函数名\"(参数1) and \"TARVEX@OutLog\" alone").empty());
}

TEST(Docs, EveryLogTextAPageNamesIsOneTheLibraryWrites) {
    const std::vector<std::string> literals = source_literals();
    ASSERT_TRUE(in_some_literal(literals, u8"save2blk 重建成功"));
    int named = 0;
    for (const Page& p : pages(false)) {
        for (const std::string& text : named_log_texts(p.text)) {
            ++named;
            for (const std::string& piece : fixed_pieces(text)) {
                if (piece.empty()) continue;
                EXPECT_TRUE(made_of_literals(literals, piece))
                    << p.name << ": the log text `" << text << "` (\"" << piece << "\") is not in the code";
            }
        }
    }
    EXPECT_GT(named, 100) << named;
}

TEST(Docs, LogTextsSplitAtTheirPlaceholdersOnly) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(fixed_pieces(u8"<路径> <代码>  +OK 0"), (Pieces{"", "", "+OK 0"}));
    EXPECT_EQ(fixed_pieces(u8"savedata 收盘价<=0，文件=   <路径>"), (Pieces{u8"savedata 收盘价<=0，文件=", ""}));
    EXPECT_EQ(fixed_pieces(u8"非相同商品: <合约><--><代码>"), (Pieces{u8"非相同商品:", "<-->", ""}));
    EXPECT_EQ(fixed_pieces("filepos= <n>"), (Pieces{"filepos=", ""}));
    const std::vector<std::string> literals = {"inblock error", u8"当前不是大智慧6.0.3版本", " +OK 0"};
    EXPECT_TRUE(made_of_literals(literals, u8"inblock error 当前不是大智慧6.0.3版本"));
    EXPECT_TRUE(made_of_literals(literals, "+OK 0"));
    EXPECT_FALSE(made_of_literals(literals, u8"inblock 当前不是大智慧6.0.3版本"));
    const std::string page =
        u8"| 情况 | 日志 |\n|---|---|\n| 缺参数 | `a <代码>`、`b` |\n\n"
        u8"失败时日志 `c`，另见 `not-a-log`。\n```\n日志 `in-a-block`\n```\n";
    EXPECT_EQ(named_log_texts(page), (std::vector<std::string>{u8"a <代码>", "b", "c"}));
}

TEST(Docs, EachLongPageOpensWithItsBoxOfCommonUseAndMistakes) {
    for (const Page& p : pages(false)) {
        std::vector<std::string> lines;
        std::stringstream ss(p.text);
        for (std::string l; std::getline(ss, l);) lines.push_back(l);
        if (lines.size() < 45) continue;
        // The title, then the box before any other paragraph.
        size_t i = 1;
        while (i < lines.size() && trimmed(lines[i]).empty()) ++i;
        std::string box;
        for (; i < lines.size() && lines[i].rfind(">", 0) == 0; ++i) box += lines[i];
        EXPECT_NE(box.find(u8"最常用"), std::string::npos) << p.name << " opens without its box";
        EXPECT_NE(box.find(u8"常见错误"), std::string::npos) << p.name << ": the box names no common mistake";
    }
}

TEST(Docs, TheOverviewListsEveryExportThatActsOnAnotherProgram) {
    // Exports that type, click, post a message, write another program's
    // memory, start a program or rewrite a file the host or another program owns.
    const char* const kActing[] = {"AlarmOnOff", "ClearAlarm", "get_alarm_data", "GetSmartMsg", "TDX",
                                   "TDXTrade",   "StockPositions", "LKBS", "Save2Mt4", "Save2Get",
                                   "TDXlineAll", "save2blk", "saveInt2blk", "del2blk"};
    std::string overview = file_text(kTop + "/docs/README.md");
    size_t table = overview.find(u8"## 对其他程序的动作");
    ASSERT_NE(table, std::string::npos) << "docs/README.md has no table of actions on other programs";
    std::set<std::string> rows;
    std::stringstream ss(overview.substr(table));
    std::string line;
    std::getline(ss, line);
    while (std::getline(ss, line) && line.rfind("## ", 0) != 0) {
        std::vector<std::string> cells = table_cells(line);
        if (!cells.empty())
            for (const std::string& span : code_spans(cells[0])) rows.insert(span);
    }
    for (const char* fn : kActing) EXPECT_EQ(rows.count(fn), 1u) << fn << " is not in the overview's table";
}

namespace {

// 100000 as the pages write it: "100 000".
std::string grouped(size_t n) {
    std::string d = std::to_string(n), out;
    for (size_t i = 0; i < d.size(); ++i) {
        if (i > 0 && (d.size() - i) % 3 == 0) out += ' ';
        out += d[i];
    }
    return n < 10000 ? d : out;
}

// The rendered pages (scripts/docs_html.py, as the bundle makes them), by name.
std::map<std::string, std::string> rendered_pages() {
    std::string out = ::testing::TempDir() + "tarvex-docs-html";
    std::filesystem::remove_all(out);
    std::string command = "/usr/bin/python3 '" + kTop + "/scripts/docs_html.py' '" + kTop + "/docs' '" + out +
                          "' >/dev/null";
    std::map<std::string, std::string> pages_html;
    if (std::system(command.c_str()) != 0) return pages_html;
    for (const auto& f : std::filesystem::directory_iterator(out))
        if (f.path().extension() == ".html") pages_html[f.path().filename().string()] = file_text(f.path());
    std::filesystem::remove_all(out);
    return pages_html;
}

// What of Markdown leaked into a rendered page's text: a fence, a fence's
// language tag at the head of inline code, code that spans lines outside a
// code block (a fence inside a list item), or a page's file name as a
// link's text. Empty when nothing did.
std::vector<std::string> leaks(const std::string& html) {
    std::vector<std::string> out;
    if (html.find("```") != std::string::npos) out.push_back("a ``` fence");
    for (size_t at = html.find("<code>"); at != std::string::npos; at = html.find("<code>", at + 1)) {
        size_t end = html.find("</code>", at);
        std::string code = html.substr(at + 6, end == std::string::npos ? 40 : end - at - 6);
        bool block = at >= 5 && html.compare(at - 5, 5, "<pre>") == 0;
        if (block) continue;
        for (const char* tag : {"ini", "text", "bat", "cmd", "sh", "c", "cpp"})
            if (code.rfind(std::string(tag) + "\n", 0) == 0 || code.rfind(std::string(tag) + " ", 0) == 0)
                out.push_back("inline code opening with the fence tag " + std::string(tag) + ": " + code.substr(0, 40));
        if (code.find('\n') != std::string::npos) out.push_back("inline code over several lines: " + code.substr(0, 40));
    }
    for (size_t at = html.find(".md</a>"); at != std::string::npos; at = html.find(".md</a>", at + 1))
        out.push_back("a link that reads as a file name: " + html.substr(html.rfind('>', at) + 1, at + 3 - html.rfind('>', at) - 1));
    return out;
}

}  // namespace

TEST(Docs, EveryPageRendersWithoutMarkdownLeakingIntoItsText) {
    std::map<std::string, std::string> html = rendered_pages();
    ASSERT_EQ(html.size(), pages(false).size()) << "scripts/docs_html.py did not render every page";
    for (const auto& page : html)
        for (const std::string& leak : leaks(page.second)) ADD_FAILURE() << page.first << ": " << leak;
}

TEST(Docs, TheLeakCheckSeesAFenceInAListItem) {
    EXPECT_EQ(leaks("<ol><li>x</li></ol><p><code>ini\n   [路径]</code></p>").size(), 2u);
    EXPECT_EQ(leaks("<p><code>ini [路径] 通达信=C:\\new_tdx</code></p>").size(), 1u);
    EXPECT_EQ(leaks("<a href=\"install.html\">install.md</a>").size(), 1u);
    EXPECT_TRUE(leaks("<pre><code>ini\n[路径]\n</code></pre><p><code>inblock</code></p>").empty());
}

// Each setting's row on the settings page names exactly the exports that
// read it, as the doctor names them.
TEST(Docs, TheSettingsPageNamesTheReadersOfEachPath) {
    std::map<std::string, bool> is_export;
    for (int i = 0; i < kExportCount; ++i) is_export[kExportTable[i].function] = true;
    std::stringstream ss(file_text(kTop + "/docs/config.md"));
    int rows = 0;
    for (std::string line; std::getline(ss, line);) {
        std::vector<std::string> cells = table_cells(line);
        if (cells.size() < 4) continue;
        std::vector<std::string> key = code_spans(cells[0]);
        if (key.size() != 1 || readers_of(utf8_to_gbk(key[0])).empty()) continue;
        ++rows;
        std::vector<std::string> named;
        for (const std::string& span : code_spans(cells[3]))
            if (is_export.count(span)) named.push_back(span);
        std::vector<std::string> readers = readers_of(utf8_to_gbk(key[0]));
        std::sort(named.begin(), named.end());
        std::sort(readers.begin(), readers.end());
        EXPECT_EQ(named, readers) << "config.md, the row of " << key[0];
    }
    EXPECT_EQ(rows, 9);
}

// The limits the pages state are the code's.
TEST(Docs, ThePagesStateTheCodesLimits) {
    struct Claim {
        const char* page;
        std::string text;
    };
    const Claim claims[] = {
        {"install.md", u8"不超过 " + grouped(kBlockMaxRecords) + u8" 只"},
        {"blocks.md", u8"读入的上限是 " + grouped(kBlockMaxRecords) + u8" 个代码"},
        {"lines.md", u8"画线文件最多读 " + grouped(kTdxLineMaxRecords) + u8" 条记录"},
        {"alarms.md", u8"只读前 " + grouped(kAlertMaxRecords) + u8" 条预警"},
        {"config.md", u8"最多 " + std::to_string(root_setting(Root::block).limit - 1) + u8" 个字节"},
        {"blocks.md", u8"最长 " + std::to_string(root_setting(Root::block).limit - 1) + u8" 个字节"},
        {"aget.md", u8"最多 " + std::to_string(kPathSettingLimit - 1) + u8" 个字节"},
    };
    for (const Claim& c : claims)
        EXPECT_NE(file_text(kTop + "/docs/" + c.page).find(c.text), std::string::npos) << c.page << ": " << c.text;
    // Limits are bytes: no page counts a path's characters against them.
    for (const Page& p : pages(false))
        for (const char* wrong : {u8"39 个字符", u8"79 个字符", u8"不超过 500 只", u8"只看前 500"})
            EXPECT_EQ(p.text.find(wrong), std::string::npos) << p.name << " says " << wrong;
}
