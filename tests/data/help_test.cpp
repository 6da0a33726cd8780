// The help pages: every page is in the compiled help's project and contents and reachable
// from the start page, and every link between pages leads to a page that exists.
#include <gtest/gtest.h>

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
