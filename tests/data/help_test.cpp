// The help pages: every page is in the compiled help's project and contents and reachable
// from the start page, and every link between pages leads to a page that exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "test_util.h"

namespace fs = std::filesystem;

namespace {

const fs::path kHelp = fs::path(KOTOPA_SOURCE_DIR) / "data-src" / "help";

std::set<std::string> Pages() {
    std::set<std::string> pages;
    for (const auto& e : fs::directory_iterator(kHelp)) {
        if (e.path().extension() == ".html") pages.insert(e.path().filename().string());
    }
    return pages;
}

// The pages a text names: href="x.html" (anchors dropped) or value="x.html".
std::set<std::string> Named(const std::string& text, const char* attribute) {
    std::set<std::string> names;
    const std::regex re(std::string(attribute) + R"(="([^"#:]+\.html)(#[^"]*)?")");
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

}  // namespace

TEST(HelpPages, EveryPageIsCompiledListedAndLinkedToExistingPages) {
    const std::set<std::string> pages = Pages();
    ASSERT_TRUE(pages.count("index.html"));

    // The project's [FILES] and the contents' entries are exactly the pages.
    const std::string project = testutil::ReadBytes(kHelp / "kotopa.hhp");
    std::set<std::string> files;
    const std::regex line(R"((^|\n)([^\[\n=]+\.html)\r?(?=\n|$))");
    for (std::sregex_iterator it(project.begin(), project.end(), line), end; it != end; ++it) {
        files.insert((*it)[2]);
    }
    EXPECT_EQ(files, pages) << "kotopa.hhp [FILES]";
    EXPECT_EQ(Named(testutil::ReadBytes(kHelp / "kotopa.hhc"), "value"), pages) << "kotopa.hhc";

    // Every link leads to a page; every page is reached from the start page.
    std::set<std::string> reached{"index.html"};
    std::vector<std::string> todo{"index.html"};
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        for (const std::string& target : Named(testutil::ReadBytes(kHelp / page), "href")) {
            EXPECT_TRUE(pages.count(target)) << page << " links to the missing " << target;
            if (pages.count(target) && reached.insert(target).second) todo.push_back(target);
        }
    }
    EXPECT_EQ(reached, pages) << "pages the start page does not lead to";
}

namespace {

// The value of a sitemap parameter for each entry of a contents or index file: Local -> Name.
std::map<std::string, std::set<std::string>> SitemapNames(const std::string& text) {
    std::map<std::string, std::set<std::string>> names;
    const std::regex entry(
        R"re(<param name="Name" value="([^"]*)"><param name="Local" value="([^"]*)">)re");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
        names[(*it)[2]].insert((*it)[1]);
    }
    return names;
}

// The records of a CHM's #SYSTEM file: code -> data (the strings without their final NUL).
std::map<int, std::string> SystemRecords(const std::string& system) {
    std::map<int, std::string> records;
    for (std::size_t at = 4; at + 4 <= system.size();) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(system[i]); };
        const int code = byte(at) | byte(at + 1) << 8;
        const std::size_t length = byte(at + 2) | byte(at + 3) << 8;
        std::string data = system.substr(at + 4, length);
        if (!data.empty() && data.back() == '\0') data.pop_back();
        records.emplace(code, data);
        at += 4 + length;
    }
    return records;
}

}  // namespace

// HTML Help reads a Japanese help file's title, contents and index in code page 932: the
// shipped file's must decode from it to the pages' own titles, and hold no UTF-8.
TEST(HelpFile, TitleContentsAndIndexAreShiftJis) {
    testutil::TempDir dir;
    const fs::path out = dir / "chm";
    const std::string command = std::string("\"") + KOTOPA_EXTRACT_CHM + "\" \"" +
                                (kHelp / ".." / ".." / "data" / "kotopa.chm").string() + "\" \"" +
                                out.string() + "\" >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const std::map<int, std::string> system = SystemRecords(testutil::ReadBytes(out / "#SYSTEM"));
    ASSERT_TRUE(system.count(0) && system.count(1) && system.count(3));
    EXPECT_EQ(kotopa::SjisToUtf8(system.at(3)), "KotoPA ヘルプ");
    EXPECT_EQ(kotopa::FirstInvalidSjis(system.at(3)), -1);

    const std::string contents = testutil::ReadBytes(out / system.at(0));
    ASSERT_FALSE(contents.empty()) << system.at(0);
    EXPECT_EQ(kotopa::FirstInvalidSjis(contents), -1);
    EXPECT_NE(contents.find("charset=Shift_JIS"), std::string::npos);
    const auto listed = SitemapNames(kotopa::SjisToUtf8(contents));
    const std::regex title("<title>([^<]*)</title>");
    for (const std::string& page : Pages()) {
        std::smatch m;
        const std::string html = testutil::ReadBytes(kHelp / page);
        ASSERT_TRUE(std::regex_search(html, m, title)) << page;
        ASSERT_TRUE(listed.count(page)) << page;
        EXPECT_EQ(listed.at(page), std::set<std::string>{m[1]}) << page;
    }

    // The index: every keyword of the source, in code page 932.
    const std::string index = testutil::ReadBytes(out / system.at(1));
    EXPECT_EQ(kotopa::FirstInvalidSjis(index), -1);
    EXPECT_EQ(SitemapNames(kotopa::SjisToUtf8(index)),
              SitemapNames(testutil::ReadBytes(kHelp / "kotopa.hhk")));
}

// The help's first page says which version it describes: the project's own.
TEST(HelpPages, StartPageNamesTheProgramsVersion) {
    const std::string page = testutil::ReadBytes(kHelp / "index.html");
    EXPECT_NE(page.find(std::string("KotoPA ") + KOTOPA_VERSION + " のもの"), std::string::npos)
        << "index.html does not name version " << KOTOPA_VERSION;
}
