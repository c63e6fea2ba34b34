// The texts the registration writes, checked without the desktop's tools.

#include "desktop/posix/desktop_entry.h"
#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_mime_package.h"
#include "desktop/posix/desktop_mimeapps.h"

#include <gtest/gtest.h>

using namespace desktop;

namespace {

std::string execLineOf(const std::string& entry)
{
    size_t start = entry.find("\nExec=");
    return start == std::string::npos ? "" : entry.substr(start + 1, entry.find('\n', start + 1) - start - 1);
}

} // namespace

TEST(DesktopExec, PlainPathStandsUnquoted)
{
    EXPECT_EQ(execArgument("/opt/orvantis/bin/orvantis"), "/opt/orvantis/bin/orvantis");
}

TEST(DesktopExec, ReservedCharactersAreQuotedAndEscaped)
{
    EXPECT_EQ(execArgument("/opt/My Tools/orvantis"), "\"/opt/My Tools/orvantis\"");
    EXPECT_EQ(execArgument("/opt/a&b/orvantis"), "\"/opt/a&b/orvantis\"");
    EXPECT_EQ(execArgument("/opt/say \"hi\"/$x`y"), "\"/opt/say \\\"hi\\\"/\\$x\\`y\"");
    EXPECT_EQ(execArgument("/opt/50%/orvantis"), "/opt/50%%/orvantis");
}

TEST(DesktopExec, EntryLineAppliesKeyFileEscapesAfterQuoting)
{
    // A backslash is escaped by the quoting and again by the key file: four in all.
    EXPECT_EQ(execLineOf(desktopEntryText("/opt/a\\b/orvantis", {})), "Exec=\"/opt/a\\\\\\\\b/orvantis\" %F");
    EXPECT_EQ(execLineOf(desktopEntryText("/opt/My Tools/orvantis", {})), "Exec=\"/opt/My Tools/orvantis\" %F");
}

TEST(DesktopEntryText, ListsTheTypesAndReadsThemBack)
{
    std::string entry =
        desktopEntryText("/usr/bin/orvantis", {"application/x-tidelume.asc", "application/x-tidelume.bin"});
    EXPECT_NE(entry.find("\nMimeType=application/x-tidelume.asc;application/x-tidelume.bin;\n"), std::string::npos);
    EXPECT_EQ(entryMimeTypes(entry),
              (std::vector<std::string>{"application/x-tidelume.asc", "application/x-tidelume.bin"}));
}

TEST(DesktopEntryText, MimeTypeOfOtherGroupsIsNotTheEntrys)
{
    std::string entry = "[Desktop Entry]\nName=X\nMimeType = text/a ; text/b\n"
                        "[Desktop Action New]\nMimeType=text/c;\n";
    EXPECT_EQ(entryMimeTypes(entry), (std::vector<std::string>{"text/a", "text/b"}));
    EXPECT_TRUE(entryMimeTypes("").empty());
}

TEST(DesktopMimeapps, AddsTheGroupToAnEmptyOrForeignList)
{
    EXPECT_EQ(withDefaultApplication("", "application/x-a", "orvantis.desktop"),
              "[Default Applications]\napplication/x-a=orvantis.desktop;\n");
    EXPECT_EQ(withDefaultApplication("[Added Associations]\ntext/plain=gedit.desktop;", "application/x-a",
                                     "orvantis.desktop"),
              "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
              "[Default Applications]\napplication/x-a=orvantis.desktop;\n");
}

TEST(DesktopMimeapps, InsertsAtTheEndOfTheGroupKeepingEveryOtherLine)
{
    std::string list = "# mine\n[Default Applications]\ntext/plain=gedit.desktop;\n\n"
                       "[Added Associations]\ntext/html=firefox.desktop;\n";
    EXPECT_EQ(withDefaultApplication(list, "application/x-a", "orvantis.desktop"),
              "# mine\n[Default Applications]\ntext/plain=gedit.desktop;\n"
              "application/x-a=orvantis.desktop;\n\n"
              "[Added Associations]\ntext/html=firefox.desktop;\n");
}

TEST(DesktopMimeapps, PutsTheProgramFirstInAnExistingEntry)
{
    std::string list = "[Default Applications]\napplication/x-a=other.desktop;orvantis.desktop;third.desktop\n"
                       "[Added Associations]\napplication/x-a=other.desktop;\n";
    EXPECT_EQ(withDefaultApplication(list, "application/x-a", "orvantis.desktop"),
              "[Default Applications]\napplication/x-a=orvantis.desktop;other.desktop;third.desktop;\n"
              "[Added Associations]\napplication/x-a=other.desktop;\n");
}

TEST(DesktopMimeTypeNames, FollowTheFileTypeName)
{
    DesktopFileType asc = desktopFileType(".ASC", "Tidelume.ASC");
    EXPECT_EQ(asc.mimeType, "application/x-tidelume.asc");
    EXPECT_EQ(asc.globPattern, "*.asc");
    EXPECT_EQ(asc.iconName(), "application-x-tidelume.asc");
    EXPECT_FALSE(asc.binary);
    EXPECT_TRUE(desktopFileType(".bin", "Tidelume.BIN").binary);
    EXPECT_NE(asc.packageFileName(), desktopFileType(".BIN", "Tidelume.BIN").packageFileName());
}

TEST(DesktopMimeTypeNames, RejectNamesThatBreakPathsOrXml)
{
    EXPECT_THROW(desktopFileType("ASC", "Tidelume.ASC"), DesktopRegistrationError);
    EXPECT_THROW(desktopFileType(".", "Tidelume.ASC"), DesktopRegistrationError);
    EXPECT_THROW(desktopFileType(".A*C", "Tidelume.ASC"), DesktopRegistrationError);
    EXPECT_THROW(desktopFileType(".ASC", "Tide/lume"), DesktopRegistrationError);
    EXPECT_THROW(desktopFileType(".ASC", "Tide\"lume"), DesktopRegistrationError);
}

TEST(DesktopMimePackage, DescribesTheTypeWithItsContentRule)
{
    std::string text = mimePackageText(desktopFileType(".ASC", "Tidelume.ASC"), "Tidelume <Ascii> & Co");
    EXPECT_NE(text.find("<comment>Tidelume &lt;Ascii&gt; &amp; Co</comment>"), std::string::npos);
    EXPECT_NE(text.find("<sub-class-of type=\"text/plain\"/>"), std::string::npos);
    EXPECT_NE(text.find("<generic-icon name=\"text-x-generic\"/>"), std::string::npos);
    // Below text/plain's own weight for the name, so the content decides.
    EXPECT_NE(text.find("<glob pattern=\"*.asc\" weight=\"10\"/>"), std::string::npos);
    EXPECT_NE(text.find("<magic priority=\"80\">"), std::string::npos);

    std::string binary = mimePackageText(desktopFileType(".BIN", "Tidelume.BIN"), "Tidelume Binary Files");
    EXPECT_NE(binary.find("<magic priority=\"90\">"), std::string::npos);
    EXPECT_NE(binary.find("<generic-icon name=\"application-x-generic\"/>"), std::string::npos);
    EXPECT_EQ(binary.find("sub-class-of"), std::string::npos);
    EXPECT_EQ(binary.find("<glob"), std::string::npos);
}

TEST(DesktopExec, PercentInThePathIsStartedThroughTheShell)
{
    EXPECT_EQ(execCommand("/opt/orvantis"), "/opt/orvantis %F");
    EXPECT_EQ(execCommand("/opt/100%/orvantis"), "sh -c \"exec \\\"\\$0\\\" \\\"\\$@\\\"\" /opt/100%%/orvantis %F");
    // TryExec is no Exec line: the path stands as it is, and reads back whole.
    for (const std::string path : {"/opt/100%/orvantis", "/opt/a\\b c/\"q\"/orvantis", "/opt/tab\there"}) {
        std::string entry = desktopEntryText(path, {});
        EXPECT_EQ(entryProgram(entry), path) << entry;
    }
}

TEST(DesktopEntryText, CarriesWhatADesktopShows)
{
    std::string entry = desktopEntryText("orvantis", {"application/x-tidelume.asc"});
    for (const char* key : {"\nComment=", "\nGenericName=", "\nTryExec=orvantis\n", "\nStartupWMClass=Orvantis\n",
                            "\nIcon=orvantis\n", "\nExec=orvantis %F\n"})
        EXPECT_NE(entry.find(key), std::string::npos) << key;
}

TEST(DesktopMimeapps, EditsTheEntryThatTakesEffect)
{
    // Repeated groups are read as one, a later line overriding an earlier one.
    std::string list = "[Default Applications]\napplication/x-a=first.desktop;\ntext/plain=gedit.desktop;\n"
                       "[Added Associations]\ntext/html=firefox.desktop;\n"
                       "[Default Applications]\napplication/x-a=later.desktop;\n";
    EXPECT_EQ(defaultApplication(list, "application/x-a"), "later.desktop");
    std::string edited = withDefaultApplication(list, "application/x-a", "orvantis.desktop");
    EXPECT_EQ(edited, "[Default Applications]\napplication/x-a=first.desktop;\ntext/plain=gedit.desktop;\n"
                      "[Added Associations]\ntext/html=firefox.desktop;\n"
                      "[Default Applications]\napplication/x-a=orvantis.desktop;later.desktop;\n");
    EXPECT_EQ(defaultApplication(edited, "application/x-a"), "orvantis.desktop");
    // A new entry goes into the last group, where nothing overrides it.
    std::string added = withDefaultApplication(list, "application/x-b", "orvantis.desktop");
    EXPECT_EQ(defaultApplication(added, "application/x-b"), "orvantis.desktop");
    EXPECT_EQ(added.substr(added.rfind('[')), "[Default Applications]\napplication/x-a=later.desktop;\n"
                                              "application/x-b=orvantis.desktop;\n");
}

TEST(DesktopMimeapps, RemovingUndoesAddingOnEveryKindOfList)
{
    const std::string lists[] = {
        "",
        "# only a comment\n",
        "[Added Associations]\ntext/plain=gedit.desktop;\n",
        "[Default Applications]\ntext/plain=gedit.desktop;\n\n[Added Associations]\ntext/html=firefox.desktop;\n",
        "[Default Applications]\napplication/x-a=other.desktop;\n",
        "[Default Applications]\na/b=c.desktop;\n[Other]\nx=y\n[Default Applications]\nd/e=f.desktop;\n",
    };
    for (const std::string& list : lists) {
        std::string added = withDefaultApplication(list, "application/x-a", "orvantis.desktop");
        EXPECT_EQ(defaultApplication(added, "application/x-a"), "orvantis.desktop") << list;
        EXPECT_EQ(withoutDefaultApplication(added, "application/x-a", "orvantis.desktop"), list) << added;
    }
    EXPECT_EQ(withoutDefaultApplication("[Default Applications]\napplication/x-a=orvantis.desktop;\n",
                                        "application/x-b", "orvantis.desktop"),
              "[Default Applications]\napplication/x-a=orvantis.desktop;\n");
}
