// The checker against a real HTTP server on 127.0.0.1 that misbehaves on
// purpose: every transfer fault must fail the download, leave no temporary
// file and end with the message the user should see.
#include "upgrade/upgrade_checker.h"

#include <gtest/gtest.h>

#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

const char kCannotFetch[] = "서버로 부터 업그레이드 버전파일을 다운받을 수 없습니다.";
const char kUpToDate[] = "최신버전이므로 업그레이드 할 필요가 없습니다.";
const char kTooBig[] = "버전파일이 너무 큽니다.";

class RecordingChecker : public CUpgradeChecker {
 public:
  uint64_t chunkBytes = 0;
  int chunkCalls = 0;
  int endMarks = 0;  // OnFileChunk(name, 0)

 protected:
  void OnFileChunk(const std::string&, uint32_t bytes) override {
    ++chunkCalls;
    chunkBytes += bytes;
    if (bytes == 0) ++endMarks;
  }
};

class UpgradeChecker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site_.Ok()) << "the site server did not start";
    // The temporary folder of this test alone, so leftovers are seen.
    SetEnvironmentVariableA("TMP", temp_.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp_.Path().c_str());
  }

  std::map<std::string, std::string> TempFiles() const { return FolderFiles(temp_.Path()); }

  // Serves text as /spruce/version.dat and checks installed against it.
  bool Check(const std::string& installed, bool silent, const std::string& versionFile) {
    EXPECT_TRUE(site_.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(versionFile) + "}}"));
    return Check(installed, silent);
  }
  bool Check(const std::string& installed, bool silent) {
    RecordingChecker checker;
    checker.SetTimeLimits(3000, 3000);
    bool newer = checker.CheckVersion("Tamarack", site_.Base(), "version.dat", installed, silent);
    server_ = checker.Server();
    return newer;
  }

  ScriptedSite site_;
  TempFolder temp_{"upgrade-tmp"};
  MessageBoxRecorder boxes_;
  VersionInfo server_;
};

TEST_F(UpgradeChecker, ComparesInstalledWithServerVersionNumberByNumber) {
  EXPECT_TRUE(Check("1.0.0", false, "Version: 1.0.1\r\nFilename: Spruce.exe 10\r\n"));
  EXPECT_EQ(boxes_.Count(), 0u);
  EXPECT_EQ(server_.fileNames[0], "Spruce.exe");
  EXPECT_TRUE(Check("1.0.0", true, "  \"Version\" : \" 2.0 \"\n"));
  EXPECT_EQ(server_.version, "2.0");

  EXPECT_TRUE(Check("1.0.9", true, "Version: 1.0.10\n"));
  EXPECT_FALSE(Check("1.0.10", false, "Version: 1.0.9\n"));  // never a downgrade
  EXPECT_FALSE(Check("1.0.1-BETA", false, "Version: 1.0.1-beta\n"));
  ASSERT_EQ(boxes_.Count(), 2u);
  for (const RecordedBox& box : boxes_.Boxes()) {
    EXPECT_EQ(box.text, kUpToDate);
    EXPECT_EQ(box.caption, "업그레이드");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONERROR));
  }
  EXPECT_FALSE(Check("1.0.10", true, "Version: 1.0.9\n"));  // silent
  EXPECT_EQ(boxes_.Count(), 2u);
  // The version file's temporary copy goes after every check.
  EXPECT_TRUE(TempFiles().empty());
  // Each check fetches the version file and its signature.
  EXPECT_EQ(site_.Requests().size(), 12u);
}

TEST_F(UpgradeChecker, VersionFileUpToItsLimitIsReadAndOneByteMoreIsRefused) {
  std::string exact = "Version: 1.0.1\n";
  exact += std::string(kMaxVersionFileSize - exact.size(), ' ');
  EXPECT_TRUE(Check("1.0.0", false, exact));
  EXPECT_FALSE(Check("1.0.0", false, exact + " "));
  EXPECT_EQ(boxes_.LastText(), kTooBig);
  // An endless body is cut at the limit at once, not read to the end.
  ASSERT_TRUE(site_.SetScript(R"({"/spruce/version.dat": {"endless": true, "body": "Version: 9\n"}})"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(Check("1.0.0", true));
  EXPECT_LT(GetTickCount() - start, 3000u);
  EXPECT_EQ(boxes_.LastText(), kTooBig);
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(UpgradeChecker, ErrorAnswersAreNeverTakenForTheVersionFile) {
  const std::string page = JsonString("<html>Version: 9.9.9</html>\n");
  for (const std::string& rule : {"{\"status\": 404, \"body\": " + page + "}",
                                  "{\"status\": 500, \"body\": " + page + "}",
                                  std::string("{\"length\": 500, \"body\": \"Version: 9.9.9\\n\"}"),
                                  std::string("{\"redirect\": \"/spruce/missing.dat\"}")}) {
    ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": " + rule + "}"));
    const size_t before = boxes_.Count();
    EXPECT_FALSE(Check("1.0.0", true)) << rule;
    EXPECT_EQ(boxes_.Count(), before) << "silent mode keeps quiet: " << rule;
    EXPECT_FALSE(Check("1.0.0", false)) << rule;
    EXPECT_EQ(boxes_.LastText(), kCannotFetch) << rule;
  }
  // A 200 page that is no version file is not "up to date" either.
  EXPECT_FALSE(Check("1.0.0", false, "<html><body>Welcome to the hotel network</body></html>"));
  EXPECT_EQ(boxes_.LastText(), kCannotFetch);
  EXPECT_EQ(boxes_.Count(), 5u);
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(UpgradeChecker, RedirectToTheVersionFileIsFollowed) {
  ASSERT_TRUE(site_.PutFile("moved.dat", "Version: 3.0\n"));
  ASSERT_TRUE(site_.SetScript(R"({"/spruce/version.dat": {"redirect": "/spruce/moved.dat"}})"));
  EXPECT_TRUE(Check("1.0.0", false));
  EXPECT_EQ(server_.version, "3.0");
  const std::vector<std::string> requests = site_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1], "GET /spruce/moved.dat");
  EXPECT_EQ(requests[2], "GET /spruce/version.sig");
}

TEST_F(UpgradeChecker, VersionFileIsBelievedOnlyWithThePublishersSignatureOfItsBytes) {
  const std::string file = "Version: 9.9.9\nUpgradeURL: www.example.com/x.htm\n";
  const struct {
    const char* what;
    const char* rule;  // for /spruce/version.sig
  } faults[] = {
      {"missing", R"({"status": 404, "body": "not found"})"},
      {"empty", R"({"body": ""})"},
      {"another key", R"({"sign_key": "fresh"})"},
      {"another version file", R"({"sign": "Version: 1.0.0\n"})"},
      {"cut short", R"({"sign": "Version: 9.9.9\nUpgradeURL: www.example.com/x.htm\n", "length": "none", "send": 255})"},
      {"longer than a signature", R"({"body": "x", "repeat": 4097})"},
  };
  for (const auto& fault : faults) {
    ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(file) +
                                "}, \"/spruce/version.sig\": " + fault.rule + "}"));
    const size_t before = boxes_.Count();
    EXPECT_FALSE(Check("1.0.0", true)) << fault.what;
    EXPECT_EQ(boxes_.Count(), before) << "silent mode keeps quiet: " << fault.what;
    // Nothing of the file was read: not its version, nor its address.
    EXPECT_EQ(server_.version, "") << fault.what;
    EXPECT_EQ(server_.upgradeUrl, "") << fault.what;
    EXPECT_FALSE(Check("1.0.0", false)) << fault.what;
    EXPECT_EQ(boxes_.LastText(), kCannotFetch) << fault.what;
    EXPECT_EQ(boxes_.Count(), before + 1) << fault.what;
  }
  // The signature comes within the version file's deadline (3 s here), not
  // after a deadline of its own: 2 s for each is too late.
  ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(file) +
                              ", \"stall\": 2}, \"/spruce/version.sig\": {\"sign\": " + JsonString(file) +
                              ", \"stall\": 2}}"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(Check("1.0.0", true));
  EXPECT_LT(GetTickCount() - start, 3800u);
  EXPECT_TRUE(PumpUntil([&] { return TempFiles().empty(); }, 20000));

  // The same file with its true signature, and an older one, truly signed
  // and replayed, that is not offered.
  ASSERT_TRUE(site_.SetScript("{}"));
  EXPECT_TRUE(Check("1.0.0", true, file));
  EXPECT_EQ(server_.upgradeUrl, "www.example.com/x.htm");
  EXPECT_FALSE(Check("1.0.1", false, "Version: 1.0.0\nFilename: Spruce.exe 10\n"));
  EXPECT_EQ(boxes_.LastText(), kUpToDate);
}

TEST_F(UpgradeChecker, StalledOrTricklingServerIsLeftAtTheDeadline) {
  // Headers, then nothing for 8 s; then a body that trickles on for ever.
  for (const char* rule : {R"({"body": "Version: 9\n", "stall": 8})",
                           R"({"endless": true, "rate": 200, "body": "Version: 9\n"})"}) {
    ASSERT_TRUE(site_.SetScript(std::string("{\"/spruce/version.dat\": ") + rule + "}"));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Check("1.0.0", false)) << rule;
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 2900u) << rule;
    EXPECT_LT(took, 6000u) << rule;
    EXPECT_EQ(boxes_.LastText(), kCannotFetch) << rule;
  }
  // The abandoned transfers delete their files once their reads return.
  EXPECT_TRUE(PumpUntil([&] { return TempFiles().empty(); }, 20000));
}

TEST_F(UpgradeChecker, ProgramFileMustArriveWholeAndAsListed) {
  const std::string content(5000, 'P');
  const Sha256Digest digest = HashSha256(content);
  const std::string staging = temp_.File("Spruce.exe___");
  ASSERT_TRUE(site_.PutFile("Spruce.exe", content));
  {
    RecordingChecker checker;
    ASSERT_TRUE(checker.Connect("Tamarack"));
    ASSERT_TRUE(checker.DownloadProgramFile(site_.Base(), "Spruce.exe", 5000, digest, staging));
    EXPECT_EQ(ReadFileBytes(staging), content);
    EXPECT_EQ(checker.chunkBytes, 5000u);
    EXPECT_EQ(checker.endMarks, 1);
    EXPECT_TRUE(checker.TempPath().empty());
    // Unlisted size: any non-empty body that matches its Content-Length.
    ASSERT_TRUE(checker.DownloadProgramFile(site_.Base(), "Spruce.exe", 0, digest, staging));
  }
  EXPECT_EQ(ReadFileBytes(staging), content) << "the file at the target is the caller's";
  DeleteFileA(staging.c_str());

  const struct {
    const char* rule;
    uint32_t listed;
    upgrade::DownloadResult result;
  } faults[] = {
      {R"({"status": 404, "body": "not found"})", 9, upgrade::DownloadResult::kBadStatus},
      {R"({"status": 500, "body": "oops"})", 0, upgrade::DownloadResult::kBadStatus},
      {R"({"body_file": "spruce/Spruce.exe", "length": "none", "send": 2500})", 5000,
       upgrade::DownloadResult::kWrongLength},  // cut short
      {R"({"body_file": "spruce/Spruce.exe", "send": 100})", 0,
       upgrade::DownloadResult::kWrongLength},  // Content-Length, then close
      {R"({"body_file": "spruce/Spruce.exe", "length": "none"})", 4999,
       upgrade::DownloadResult::kTooLong},  // longer than listed
      {R"({"body_file": "spruce/Spruce.exe"})", 5001, upgrade::DownloadResult::kWrongLength},
      {R"({"body": ""})", 0, upgrade::DownloadResult::kEmpty},
      {R"({"body": "", "length": "none"})", 10, upgrade::DownloadResult::kWrongLength},
      {R"({"endless": true})", 5000, upgrade::DownloadResult::kTooLong},
      {R"({"redirect": "/spruce/gone.exe"})", 0, upgrade::DownloadResult::kBadStatus},
      // Whole, as long as listed, but other bytes than the listed digest's.
      {R"({"body": "Q", "repeat": 5000})", 5000, upgrade::DownloadResult::kWrongDigest},
      {R"({"body": "P", "repeat": 4999, "length": "none"})", 0, upgrade::DownloadResult::kWrongDigest},
  };
  for (const auto& fault : faults) {
    ASSERT_TRUE(site_.SetScript(std::string("{\"/spruce/new.exe\": ") + fault.rule + "}"));
    RecordingChecker checker;
    ASSERT_TRUE(checker.Connect("Tamarack"));
    EXPECT_FALSE(checker.DownloadProgramFile(site_.Base(), "new.exe", fault.listed, digest, staging))
        << fault.rule;
    EXPECT_FALSE(FileExists(staging)) << fault.rule;
    EXPECT_EQ(checker.LastResult(), fault.result) << fault.rule;
    EXPECT_TRUE(checker.TempPath().empty());
    EXPECT_TRUE(TempFiles().empty()) << fault.rule;
  }
  ASSERT_TRUE(site_.SetScript(R"({"/spruce/new.exe": {"redirect": "/spruce/Spruce.exe"}})"));
  RecordingChecker checker;
  ASSERT_TRUE(checker.Connect("Tamarack"));
  EXPECT_TRUE(checker.DownloadProgramFile(site_.Base(), "new.exe", 5000, digest, staging));
  EXPECT_EQ(boxes_.Count(), 0u) << "downloads themselves never talk";
}

TEST_F(UpgradeChecker, ProgramFileThatStopsArrivingFails) {
  ASSERT_TRUE(site_.SetScript(
      R"({"/spruce/slow.exe": {"body": "x", "repeat": 4096, "stall": 8, "stall_after": 2048}})"));
  RecordingChecker checker;
  checker.SetTimeLimits(30000, 2000);
  ASSERT_TRUE(checker.Connect("Tamarack"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(checker.DownloadProgramFile(site_.Base(), "slow.exe", 4096, HashSha256(std::string(4096, 'x')),
                                           temp_.File("slow.exe___")));
  EXPECT_LT(GetTickCount() - start, 6000u);
  EXPECT_EQ(checker.LastResult(), upgrade::DownloadResult::kTimedOut);
  // What came before the stall was reported.
  EXPECT_GE(checker.chunkBytes, 1024u);
  EXPECT_LE(checker.chunkBytes, 2048u);
  EXPECT_TRUE(PumpUntil([&] { return TempFiles().empty(); }, 20000));
}

TEST_F(UpgradeChecker, LargeProgramFileArrivesWholeOrLeavesNothing) {
  // Large enough to be written through in the background while it arrives.
  std::string pattern;
  for (char c = ' '; c <= '~'; ++c) pattern += c;  // 95 bytes: chunks never align with it
  const int repeat = 70000;
  std::string body;
  for (int i = 0; i < repeat; ++i) body += pattern;
  const std::string rule = "{\"body\": " + JsonString(pattern) + ", \"repeat\": " + std::to_string(repeat);
  ASSERT_TRUE(site_.SetScript("{\"/spruce/big.exe\": " + rule + "}, \"/spruce/stalls.exe\": " + rule +
                              ", \"stall\": 5, \"stall_after\": 5000000}}"));
  RecordingChecker checker;
  checker.SetTimeLimits(30000, 2000);
  ASSERT_TRUE(checker.Connect("Tamarack"));
  const std::string staging = temp_.File("big.exe___");
  const uint32_t size = static_cast<uint32_t>(body.size());
  EXPECT_TRUE(checker.DownloadProgramFile(site_.Base(), "big.exe", size, HashSha256(body), staging));
  EXPECT_TRUE(ReadFileBytes(staging) == body) << "the file differs from what was served";

  EXPECT_FALSE(checker.DownloadProgramFile(site_.Base(), "stalls.exe", size, HashSha256(body),
                                           temp_.File("stalls.exe___")));
  EXPECT_EQ(checker.LastResult(), upgrade::DownloadResult::kTimedOut);
  EXPECT_TRUE(PumpUntil([&] { return TempFiles().size() == 1; }, 20000)) << "only big.exe___ stays";
}

TEST_F(UpgradeChecker, UnreachableServerFailsQuietlyWhenSilent) {
  CUpgradeChecker checker;
  EXPECT_FALSE(checker.CheckVersion("Tamarack", "http://127.0.0.1:9/spruce", "version.dat", "1.0.0", true));
  EXPECT_EQ(boxes_.Count(), 0u);
  EXPECT_FALSE(checker.CheckVersion("Tamarack", "http://127.0.0.1:9/spruce", "version.dat", "1.0.0", false));
  EXPECT_EQ(boxes_.LastText(), kCannotFetch);
}

}  // namespace
