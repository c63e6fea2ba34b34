// The headless converter's association commands.

#include <fstream>
#include <sstream>

#include <unistd.h>

#include "cli/association_commands.h"
#include "store/associations.h"
#include "temp_config_home.h"

namespace {

class AssociationCommands : public TempConfigHome {
protected:
    int run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "orvantis-cli");
        out.str("");
        err.str("");
        return runAssociationCommand(args, out, err);
    }
    std::filesystem::path makeCalFile(const std::string& name)
    {
        std::filesystem::path file = tempRoot() / name;
        std::ofstream(file) << "[ID]\n";
        return file;
    }
    void expectUsageError(const std::vector<std::string>& args)
    {
        EXPECT_EQ(run(args), AssociationCommandUsage);
        EXPECT_NE(err.str().find("usage: orvantis-cli"), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }

    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(AssociationCommands, WordsThatAreAssociationCommands)
{
    EXPECT_TRUE(isAssociationCommand("associations"));
    EXPECT_TRUE(isAssociationCommand("associate"));
    EXPECT_TRUE(isAssociationCommand("forget"));
    EXPECT_FALSE(isAssociationCommand("--cal"));
    EXPECT_FALSE(isAssociationCommand("Associate"));
    EXPECT_FALSE(isAssociationCommand(nullptr));
}

TEST_F(AssociationCommands, AssociateStoresTheAbsolutePath)
{
    std::filesystem::path calFile = makeCalFile("HSE0123.CAL");
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(tempRoot() / "work");
    std::filesystem::current_path(tempRoot() / "work");
    int status = run({"associate", "0123", "../HSE0123.CAL"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(status, AssociationCommandDone) << err.str();
    EXPECT_EQ(lookupCalFile("0123"), calFile.string());
    EXPECT_EQ(out.str(), "0123 -> " + calFile.string() + "\n");
}

TEST_F(AssociationCommands, AssociateRefusesAMissingFile)
{
    EXPECT_EQ(run({"associate", "0123", (tempRoot() / "missing.CAL").string()}), AssociationCommandFailed);
    EXPECT_NE(err.str().find("missing.CAL"), std::string::npos) << err.str();
    EXPECT_EQ(run({"associate", "0123", tempRoot().string()}), AssociationCommandFailed); // a folder
    EXPECT_EQ(lookupCalFile("0123"), "");
}

TEST_F(AssociationCommands, EveryCommandNamesAnUnusableStoreAndWhy)
{
    std::filesystem::path calFile = makeCalFile("a.CAL");
    std::filesystem::create_directories(storeFile().parent_path());
    std::ofstream(storeFile()) << std::string(1000, '?');
    const std::string message =
        "orvantis-cli: the store " + storeFile().string() + " is damaged (file is not a database)\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"associations"}, {"associate", "0123", calFile.string()}, {"forget", "0123"}}) {
        EXPECT_EQ(run(args), AssociationCommandStoreUnusable) << args[0];
        EXPECT_EQ(err.str(), message);
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(AssociationCommands, AssociationsListsEveryOne)
{
    EXPECT_EQ(run({"associations"}), AssociationCommandDone);
    EXPECT_EQ(out.str(), "");
    ASSERT_TRUE(storeCalFile("B\\2", "/cal/b.CAL"));
    ASSERT_TRUE(storeCalFile("a1", "/cal/a.CAL"));
    EXPECT_EQ(run({"associations"}), AssociationCommandDone);
    EXPECT_EQ(out.str(), "a1 -> /cal/a.CAL\nB\\2 -> /cal/b.CAL\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(AssociationCommands, ForgetRemovesOneOrSaysThereIsNone)
{
    ASSERT_TRUE(storeCalFile("0123", "/a"));
    EXPECT_EQ(run({"forget", "0123"}), AssociationCommandDone);
    EXPECT_EQ(lookupCalFile("0123"), "");
    EXPECT_EQ(run({"forget", "0123"}), AssociationCommandFailed);
    EXPECT_NE(err.str().find("0123"), std::string::npos) << err.str();
}

TEST_F(AssociationCommands, WrongArgumentsAreUsageErrors)
{
    std::filesystem::path calFile = makeCalFile("a.CAL");
    expectUsageError({});
    expectUsageError({"frobnicate"});
    expectUsageError({"associations", "extra"});
    expectUsageError({"associate", "0123"});
    expectUsageError({"associate", "0123", calFile.string(), "extra"});
    expectUsageError({"associate", "", calFile.string()});
    expectUsageError({"forget"});
    expectUsageError({"forget", ""});
    EXPECT_EQ(listCalFiles(), (std::vector<std::pair<std::string, std::string>>{}));
}

TEST_F(AssociationCommands, ArgvFormReadsTheCommandWordAtIndexOne)
{
    ASSERT_TRUE(storeCalFile("0123", "/a"));
    std::string words[] = {"orvantis-cli", "forget", "0123"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), nullptr};
    EXPECT_EQ(runAssociationCommand(3, argv), AssociationCommandDone);
    EXPECT_EQ(lookupCalFile("0123"), "");
}

} // namespace
