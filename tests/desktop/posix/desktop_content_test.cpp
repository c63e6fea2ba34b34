// What the desktop calls each kind of file once the types are registered: the
// instrument's data files get the program's types, whatever their name's
// letter case and even with blank lines before the header, while other files
// sharing the names keep the types they had.

#include "desktop_sandbox.h"

#include "desktop/desktop_file_types.h"

#include <random>

namespace {

const std::string AscType = "application/x-tidelume.asc";
const std::string BinType = "application/x-tidelume.bin";

void registerBoth(const fs::path& program)
{
    for (const ProgramFileType& type : programFileTypes())
        registerFileType(type.extension, type.typeName, type.description, program.string());
}

std::string randomBytes(size_t count)
{
    std::mt19937 generator(1234);
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::string example(const std::string& name)
{
    return readText(fs::path(ORVANTIS_EXAMPLES) / name);
}

} // namespace

class DesktopContent : public DesktopSandbox {
protected:
    void SetUp() override
    {
        DesktopSandbox::SetUp();
        others_ = {
            writeSample("doc.asc", "= Field Notes\nA. Writer\n:toc:\n\n== Cast 1\n\nCalm sea, *clear* sky.\n"),
            writeSample("clear.asc", "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\nhello\n"
                                     "-----BEGIN PGP SIGNATURE-----\n\niQEzBAEBCAAdFiEE\n"
                                     "-----END PGP SIGNATURE-----\n"),
            writeSample("key.asc", "-----BEGIN PGP PUBLIC KEY BLOCK-----\n\nmQINBF\n"),
            writeSample("r.bin", randomBytes(3000)),
            writeSample("R.BIN", randomBytes(200)),
            writeSample("notes.txt", textDataFile()),
        };
        for (const fs::path& file : others_)
            typesBefore_.push_back(gioContentType(file));
    }

    void expectOthersKeepTheirTypes()
    {
        for (size_t i = 0; i < others_.size(); ++i)
            EXPECT_EQ(gioContentType(others_[i]), typesBefore_[i]) << others_[i];
    }

    std::vector<fs::path> others_;
    std::vector<std::string> typesBefore_;
};

TEST_F(DesktopContent, DataFilesGetTheProgramsTypesAndOthersKeepTheirs)
{
    registerBoth(programPath());

    EXPECT_EQ(gioContentType(writeSample("SET0101A.ASC", example("SET0101A.ASC"))), AscType);
    EXPECT_EQ(gioContentType(writeSample("set0101b.asc", example("SET0101B.ASC"))), AscType);
    EXPECT_EQ(gioContentType(writeSample("x.Asc", textDataFile())), AscType);
    EXPECT_EQ(gioContentType(writeSample("SET0102A.BIN", example("SET0102A.BIN"))), BinType);
    EXPECT_EQ(gioContentType(writeSample("y.bin", binaryDataFile())), BinType);
    expectOthersKeepTheirTypes();
}

TEST_F(DesktopContent, BlankLinesBeforeTheHeaderAreAllowed)
{
    registerBoth(programPath());

    EXPECT_EQ(gioContentType(writeSample("blank.BIN", "\r\n\r\n" + example("SET0102A.BIN"))), BinType);
    EXPECT_EQ(gioContentType(writeSample("blank2.BIN", "\n" + binaryDataFile())), BinType);
    EXPECT_EQ(gioContentType(writeSample("blank.ASC", "\r\n" + example("SET0101A.ASC"))), AscType);
}

TEST_F(DesktopContent, EachTypeAloneLeavesTheOtherExtensionAlone)
{
    registerFileType(".BIN", "Tidelume.BIN", "Tidelume Binary Files", programPath().string());
    EXPECT_EQ(gioContentType(writeSample("d.BIN", example("SET0102A.BIN"))), BinType);
    EXPECT_EQ(gioContentType(writeSample("d.ASC", example("SET0101A.ASC"))), "text/plain");
    expectOthersKeepTheirTypes();
}

TEST_F(DesktopContent, RemovingGivesEveryFileItsFormerType)
{
    fs::path data = writeSample("SET0101A.ASC", example("SET0101A.ASC"));
    fs::path binary = writeSample("SET0102A.BIN", example("SET0102A.BIN"));
    std::string dataBefore = gioContentType(data);
    std::string binaryBefore = gioContentType(binary);

    registerBoth(programPath());
    for (const ProgramFileType& type : programFileTypes())
        removeFileType(type.extension, type.typeName);

    EXPECT_EQ(gioContentType(data), dataBefore);
    EXPECT_EQ(gioContentType(binary), binaryBefore);
    expectOthersKeepTheirTypes();
}
