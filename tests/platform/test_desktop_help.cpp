#include "platform/Cp932.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/DesktopHelp.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <QCoreApplication>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace tavrin;
using test::ScopedEnv;
namespace fs = std::filesystem;

namespace {

// The context numbers the program's windows ask for: search options, the settings dialog's
// three pages, the customisation dialog's two.
const int kContexts[] = {21, 32, 33, 60, 56, 58};

// A scratch folder with a stand-in xdg-open first on PATH that writes down its arguments, one
// a line, whole by a rename, and ends with the status $STANDIN_EXIT.
class DesktopHelpTest : public ::testing::Test {
protected:
    DesktopHelpTest() {
        test::writeHostFile(mTemp + "/bin/xdg-open",
                            "#!/bin/sh\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                record() + ".part' && mv '" + record() + ".part' '" + record() +
                                "'\nexit ${STANDIN_EXIT:-0}\n",
                            true);
        mPath.emplace("PATH", mTemp + "/bin:" + std::string(std::getenv("PATH")));
    }
    std::string pageFolder() const { return mTemp + "/cache/help"; }
    std::string record() const { return mTemp + "/opened.txt"; }

    // The arguments of the next start of xdg-open; a test fails when none comes.
    std::vector<std::string> opened() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(record())) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "xdg-open was not started";
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::vector<std::string> args;
        std::ifstream in(record());
        for (std::string line; std::getline(in, line);)
            args.push_back(line);
        fs::remove(record());
        return args;
    }

    // Where the address xdg-open was given leads: itself, or the address a page of the help's
    // own sends the browser on to.
    std::string destination(const std::string& address) {
        const std::string path = QUrl(QString::fromStdString(address)).toLocalFile().toStdString();
        if (!path.starts_with(pageFolder() + "/"))
            return address;
        static const std::regex refresh(
            R"re(<meta http-equiv="refresh" content="0; url=([^"]*)">)re");
        std::smatch m;
        const std::string page = test::readHostFile(path);
        if (!std::regex_search(page, m, refresh)) {
            ADD_FAILURE() << path << " leads nowhere";
            return {};
        }
        return QString::fromStdString(m[1]).replace("&amp;", "&").toStdString();
    }

    // True when xdg-open stays unstarted a while: the call starts it at once if at all.
    bool nothingOpened() {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return !fs::exists(record());
    }

    // A manual of empty pages in a folder whose name needs encoding in an address.
    std::string makeManual() {
        const std::string folder = mTemp + "/マニュアル #1 100%";
        for (const char* page : {"index.html", "search.html", "settings.html", "customize.html"})
            test::writeHostFile(folder + "/" + page, "<html></html>\n");
        return folder;
    }

    test::TempFolder mFolder{"tavrin-help"};
    const std::string& mTemp = mFolder.path();
    std::optional<ScopedEnv> mPath;
    LinuxFileSystem mFs{DriveTable::rootOnly()};
    test::ScriptedDialogs mDialogs;
};

// The address a browser needs for a host path: each byte outside the unreserved set encoded.
std::string fileAddress(const std::string& path, const std::string& fragment = {}) {
    std::string out =
        "file://" + QUrl::toPercentEncoding(QString::fromStdString(path), "/").toStdString();
    return fragment.empty() ? out : out + "#" + fragment;
}

TEST_F(DesktopHelpTest, ContentsAndEachTopicOpenAtTheirAddress) {
    const std::string manual = makeManual();
    DesktopHelp help(mFs, mDialogs, manual, pageFolder());

    help.showContents("C:\\Tavrin\\Tavrin.hlp");
    const std::vector<std::string> contents = opened();
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents[0], fileAddress(manual + "/index.html"));
    EXPECT_EQ(QUrl(QString::fromStdString(contents[0])).toLocalFile().toStdString(),
              manual + "/index.html");

    const std::map<int, std::string> pages = {{21, "search.html"},    {32, "settings.html"},
                                              {33, "settings.html"},  {60, "settings.html"},
                                              {56, "customize.html"}, {58, "customize.html"}};
    for (const auto& [context, page] : pages) {
        help.showContext("C:\\Tavrin\\Tavrin.hlp", context);
        const std::vector<std::string> args = opened();
        ASSERT_EQ(args.size(), 1u) << context;
        // The desktop's HTML program is given a path, which cannot carry the anchor.
        EXPECT_TRUE(args[0].starts_with(fileAddress(pageFolder()))) << args[0];
        EXPECT_EQ(destination(args[0]),
                  fileAddress(manual + "/" + page, "help-" + std::to_string(context)));
    }

    // A number the manual has no topic for still shows the manual, at its contents.
    for (int unknown : {0, -1, 22, 1000}) {
        help.showContext("", unknown);
        EXPECT_EQ(opened(), std::vector<std::string>{fileAddress(manual + "/index.html")})
            << unknown;
    }
    EXPECT_TRUE(mDialogs.shown.empty());
}

TEST_F(DesktopHelpTest, MissingPagesAreReportedWithTheirPath) {
    const std::string manual = makeManual();
    fs::remove(manual + "/settings.html");
    DesktopHelp help(mFs, mDialogs, manual, pageFolder());

    help.showContext("", 33);
    ASSERT_EQ(mDialogs.shown.size(), 1u);
    EXPECT_EQ(mDialogs.shown[0].text,
              sj("ヘルプ ファイル " + manual + "/settings.html が見つかりません。"));
    EXPECT_EQ(mDialogs.shown[0].caption, sj("ヘルプ"));
    EXPECT_TRUE(nothingOpened());

    // The other topics are still there.
    help.showContext("", 56);
    EXPECT_EQ(opened().size(), 1u);

    fs::remove(manual + "/index.html");
    help.showContents("");
    ASSERT_EQ(mDialogs.shown.size(), 2u);
    EXPECT_EQ(mDialogs.shown[1].text,
              sj("ヘルプ ファイル " + manual + "/index.html が見つかりません。"));
    EXPECT_TRUE(nothingOpened());

    // A folder of that name is no page.
    fs::create_directory(manual + "/index.html");
    help.showContents("");
    EXPECT_EQ(mDialogs.shown.size(), 3u);
    EXPECT_TRUE(nothingOpened());

    DesktopHelp nowhere(mFs, mDialogs, "", pageFolder());
    nowhere.showContext("", 21);
    EXPECT_EQ(mDialogs.shown.size(), 4u);
    EXPECT_TRUE(nothingOpened());
}

TEST_F(DesktopHelpTest, AManualThatCannotBeOpenedIsReported) {
    const std::string manual = makeManual();
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const auto reported = [&](std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (mDialogs.shown.size() < count && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return mDialogs.shown.size() == count;
    };
    DesktopHelp help(mFs, mDialogs, manual, pageFolder());
    const std::string cannot = "ヘルプ ファイル " + manual + "/customize.html を開けません。";

    // xdg-open finds nothing on the desktop that opens HTML.
    {
        ScopedEnv status("STANDIN_EXIT", "3");
        help.showContext("", 58);
        opened();
        ASSERT_TRUE(reported(1));
        EXPECT_EQ(mDialogs.shown[0].text,
                  sj(cannot + "\nHTML ファイルを開くアプリケーションがありません。"));
        EXPECT_EQ(mDialogs.shown[0].caption, sj("ヘルプ"));
    }
    // The program it found fails.
    {
        ScopedEnv status("STANDIN_EXIT", "4");
        help.showContext("", 58);
        opened();
        ASSERT_TRUE(reported(2));
        EXPECT_EQ(mDialogs.shown[1].text, sj(cannot));
    }
    // No xdg-open at all.
    fs::create_directories(mTemp + "/empty");
    ScopedEnv path("PATH", mTemp + "/empty");
    help.showContext("", 58);
    ASSERT_EQ(mDialogs.shown.size(), 3u);
    EXPECT_EQ(mDialogs.shown[2].text, sj(cannot + "\nxdg-open (xdg-utils) が見つかりません。"));
}

TEST_F(DesktopHelpTest, ManualBesideTheProgramElseWhereItIsInstalled) {
    const std::string bin = mTemp + "/usr/bin";
    fs::create_directories(bin + "/help");
    // A "help" folder without its contents page is not the manual.
    EXPECT_EQ(manualFolderFor(bin), mTemp + "/usr/share/tavrin/help");
    test::writeHostFile(bin + "/help/index.html", "<html></html>\n");
    EXPECT_EQ(manualFolderFor(bin), bin + "/help");
    EXPECT_EQ(manualFolderFor("/opt/tavrin/bin"), "/opt/tavrin/share/tavrin/help");
}

// ---- the manual as shipped ------------------------------------------------------------------

struct Page {
    std::string text;
    std::set<std::string> ids;
};

std::map<std::string, Page> shippedPages() {
    std::map<std::string, Page> pages;
    for (const auto& entry : fs::directory_iterator(TAVRIN_MANUAL_DIR)) {
        if (entry.path().extension() != ".html")
            continue;
        Page page{test::readHostFile(entry.path().string()), {}};
        static const std::regex id(R"re(\sid="([^"]*)")re");
        for (std::sregex_iterator m(page.text.begin(), page.text.end(), id), end; m != end; ++m)
            page.ids.insert((*m)[1]);
        pages[entry.path().filename().string()] = std::move(page);
    }
    return pages;
}

TEST_F(DesktopHelpTest, EveryContextOpensItsAnchorInTheShippedManual) {
    const std::map<std::string, Page> pages = shippedPages();
    DesktopHelp help(mFs, mDialogs, TAVRIN_MANUAL_DIR, pageFolder());
    for (int context : kContexts) {
        help.showContext("", context);
        const std::vector<std::string> args = opened();
        ASSERT_EQ(args.size(), 1u) << context;
        const QUrl url(QString::fromStdString(destination(args[0])));
        const std::string page = fs::path(url.toLocalFile().toStdString()).filename().string();
        const std::string anchor = "help-" + std::to_string(context);
        EXPECT_EQ(url.fragment().toStdString(), anchor);
        ASSERT_TRUE(pages.count(page)) << page;
        EXPECT_TRUE(pages.at(page).ids.count(anchor)) << page << " has no id " << anchor;
    }
    EXPECT_TRUE(mDialogs.shown.empty());
}

TEST(ShippedManual, PagesAreWholeAndTheirLinksResolve) {
    const std::map<std::string, Page> pages = shippedPages();
    ASSERT_TRUE(pages.count("index.html"));
    static const std::regex link(R"re(\s(href|src)="([^"]*)")re");
    std::set<std::string> linkedFromContents;
    for (const auto& [name, page] : pages) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(cp932::isValidUtf8(page.text));
        EXPECT_NE(page.text.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_EQ(page.text.find("<script"), std::string::npos);
        EXPECT_NE(page.text.find("href=\"manual.css\""), std::string::npos);
        for (std::sregex_iterator m(page.text.begin(), page.text.end(), link), end; m != end; ++m) {
            const std::string target = (*m)[2];
            // Nothing is fetched from outside; a web address is only ever a link to follow.
            if (target.starts_with("http:") || target.starts_with("https:")) {
                EXPECT_EQ((*m)[1], "href") << target;
                continue;
            }
            ASSERT_EQ(target.find(':'), std::string::npos) << target;
            const std::size_t hash = target.find('#');
            const std::string file = hash == std::string::npos ? target : target.substr(0, hash);
            const std::string fragment = hash == std::string::npos ? "" : target.substr(hash + 1);
            const std::string resolved = file.empty() ? name : file;
            if (name == "index.html")
                linkedFromContents.insert(resolved);
            if (resolved.ends_with(".html")) {
                ASSERT_TRUE(pages.count(resolved)) << target;
                if (!fragment.empty()) {
                    EXPECT_TRUE(pages.at(resolved).ids.count(fragment)) << target;
                }
            } else {
                EXPECT_TRUE(fs::is_regular_file(fs::path(TAVRIN_MANUAL_DIR) / resolved)) << target;
            }
        }
    }
    // Every page is reached from the contents.
    for (const auto& entry : pages) {
        EXPECT_TRUE(entry.first == "index.html" || linkedFromContents.count(entry.first))
            << entry.first;
    }
}

} // namespace
