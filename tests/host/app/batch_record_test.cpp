#include "host/app/batch_record.h"

#include <gtest/gtest.h>

#include "host/io/atomic_file.h"
#include "host/io/io_test_support.h"

namespace qhost::app {
namespace {

using qhost::testing::FlatCornerNormals;
using qhost::testing::kHostFrame;
using qhost::testing::QuadCube;
using qhost::testing::ReadText;
using qhost::testing::ScratchFolder;
using qhost::testing::WriteText;

const nlohmann::json kPlanned = {{"index", 3}, {"seed", 41}, {"file", "rock_003.obj"}, {"parameters", {{"2000", 5}}}};

// A finished variant as a batch leaves it: the mesh, then its record.
std::string FinishVariant(const ScratchFolder& folder)
{
  const std::string meshPath = folder.File("rock_003.obj");
  const MeshData cube = QuadCube();
  WriteMesh(meshPath, cube, FlatCornerNormals(cube), qhost::testing::HostFrameOptions());
  WriteFileAtomically(RecordPathFor(meshPath), JsonText(FinishedRecord(kPlanned, meshPath, kHostFrame)));
  return meshPath;
}

TEST(BatchRecord, AFinishedVariantIsRecognisedWithItsFigures)
{
  ScratchFolder folder;
  const std::string meshPath = FinishVariant(folder);
  const nlohmann::json record = VerifiedRecord(kPlanned, meshPath);
  ASSERT_TRUE(record.is_object());
  EXPECT_EQ(record["seed"], 41);
  EXPECT_EQ(record["bytes"], ReadText(meshPath).size());
  EXPECT_EQ(record["fnv1a64"], HashText(ReadText(meshPath)));
  EXPECT_EQ(record["inspect"]["faces"], 6);
  EXPECT_EQ(record["inspect"]["closed"], true);
}

TEST(BatchRecord, AVariantIsMadeAgainWhenItsFileOrPlanChanged)
{
  ScratchFolder folder;
  const std::string meshPath = FinishVariant(folder);

  nlohmann::json otherSeed = kPlanned;
  otherSeed["seed"] = 42;
  EXPECT_TRUE(VerifiedRecord(otherSeed, meshPath).is_null()) << "a record of another plan";

  // One byte changed, size kept: only the hash tells.
  std::string text = ReadText(meshPath);
  text[text.size() / 2] = text[text.size() / 2] == '1' ? '2' : '1';
  WriteText(meshPath, text);
  EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null()) << "a file changed after its record";
}

TEST(BatchRecord, AMissingOrUnreadableRecordMeansTheVariantIsMadeAgain)
{
  ScratchFolder folder;
  const std::string meshPath = FinishVariant(folder);
  const std::string record = ReadText(RecordPathFor(meshPath));
  for (const std::string& broken : {std::string(), record.substr(0, record.size() / 2), std::string("[1, 2]"),
                                    std::string("{\"seed\": 41}")})
  {
    WriteText(RecordPathFor(meshPath), broken);
    EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null()) << broken;
  }
  std::filesystem::remove(RecordPathFor(meshPath));
  EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null());
}

TEST(BatchRecord, AHeightMapIsVouchedForByItsRecordAndLookedForOnlyBesideTheMesh)
{
  ScratchFolder folder;
  std::filesystem::create_directory(folder.File("batch"));
  const std::string meshPath = folder.File("batch/rock_003.obj");
  const std::string heightPath = folder.File("batch/rock_003_height.png");
  const MeshData cube = QuadCube();
  WriteMesh(meshPath, cube, FlatCornerNormals(cube), qhost::testing::HostFrameOptions());
  WriteText(heightPath, "height samples");
  const nlohmann::json finished = FinishedRecord(kPlanned, meshPath, kHostFrame, heightPath);
  WriteFileAtomically(RecordPathFor(meshPath), JsonText(finished));
  EXPECT_EQ(finished["height_map"]["file"], "rock_003_height.png");
  EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_object());

  WriteText(heightPath, "height sampleS");
  EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null()) << "a height map changed after its record";
  std::filesystem::remove(heightPath);
  EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null()) << "a height map gone";

  // A record that names a file elsewhere is not believed, even when that
  // file matches.
  WriteText(folder.File("elsewhere.png"), "height samples");
  for (const std::string& name : std::vector<std::string>{"../elsewhere.png", folder.File("elsewhere.png"), "..", ""})
  {
    nlohmann::json record = finished;
    record["height_map"]["file"] = name;
    WriteText(RecordPathFor(meshPath), JsonText(record));
    EXPECT_TRUE(VerifiedRecord(kPlanned, meshPath).is_null()) << name;
  }
}

TEST(BatchRecord, RecordsAreIndentedJsonEndingInANewline)
{
  EXPECT_EQ(RecordPathFor("out/rock_003.obj"), "out/rock_003.obj.json");
  EXPECT_EQ(JsonText({{"a", 1}}), "{\n  \"a\": 1\n}\n");
  EXPECT_EQ(HashText(""), "cbf29ce484222325") << "FNV-1a's offset basis";
  EXPECT_EQ(HashText("a"), "af63dc4c8601ec8c");
}

} // namespace
} // namespace qhost::app
