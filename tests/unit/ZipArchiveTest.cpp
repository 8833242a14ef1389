// Zip archives and stream readers, on archives written here with libzip.
#include <zip.h>

#include <QFile>
#include <QTemporaryDir>
#include <thread>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "TestFiles.h"
#include "include/wrapper/cef_zip_archive.h"
#include "archive/winzip_aes.h"

namespace {

struct Entry {
  std::string name;
  std::string content;
};

// Writes a zip of `entries`, encrypted with `password` (AES-256 or traditional) when given,
// compressed as libzip chooses or with `compression`.
std::string MakeZip(const QTemporaryDir& dir, const std::vector<Entry>& entries, const std::string& password = "",
                    zip_uint16_t method = ZIP_EM_AES_256, zip_int32_t compression = ZIP_CM_DEFAULT) {
  static int counter = 0;
  const std::string path = dir.filePath(QString("archive%1.zip").arg(++counter)).toStdString();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  EXPECT_NE(archive, nullptr);
  for (const auto& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    EXPECT_GE(index, 0) << entry.name;
    if (compression != ZIP_CM_DEFAULT) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), compression, 0);
    if (!password.empty()) zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), method, password.c_str());
  }
  EXPECT_EQ(zip_close(archive), 0);
  return path;
}

std::string ReadAll(CefRefPtr<CefStreamReader> reader) {
  std::string text;
  char chunk[7];
  for (size_t got; (got = reader->Read(chunk, 1, sizeof(chunk))) > 0;) text.append(chunk, got);
  return text;
}

QByteArray ReadBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

TEST(ZipArchiveTest, LoadsFilesUnderNormalisedNames) {
  QTemporaryDir dir;
  const auto path = MakeZip(dir, {{"index.html", "<p>hi</p>"}, {"./css/Site.CSS", "body{}"}, {"img\\logo.png", "PNG"},
                                  {"empty/", ""}});
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(path), "", false), 3u);
  EXPECT_EQ(archive->GetFileCount(), 3u);
  EXPECT_TRUE(archive->HasFile("css/site.css"));
  EXPECT_TRUE(archive->HasFile("/IMG/logo.png"));
  ASSERT_TRUE(archive->GetFile("index.html"));
  EXPECT_EQ(ReadAll(archive->GetFile("index.html")->GetStreamReader()), "<p>hi</p>");
  EXPECT_EQ(archive->GetFile("index.html")->GetDataSize(), 9u);
  EXPECT_FALSE(archive->HasFile("missing.txt"));
}

// A reader handed over by the application that can neither seek nor tell.
class ForwardOnlyReader : public CefStreamReader {
 public:
  explicit ForwardOnlyReader(CefRefPtr<CefStreamReader> inner) : inner_(inner) {}
  size_t Read(void* ptr, size_t size, size_t n) override { return inner_->Read(ptr, size, n); }
  int Seek(int64, int) override { return -1; }
  int64 Tell() override { return -1; }
  int Eof() override { return inner_->Eof(); }
  bool MayBlock() override { return false; }

 private:
  CefRefPtr<CefStreamReader> inner_;
  IMPLEMENT_REFCOUNTING(ForwardOnlyReader);
};

TEST(ZipArchiveTest, LoadsFromWhereTheStreamStandsWhetherOrNotItCanSeek) {
  QTemporaryDir dir;
  const std::string big(300 * 1024, 'b');
  QFile file(QString::fromStdString(MakeZip(dir, {{"a.txt", "first"}, {"big.bin", big}})));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray zip = file.readAll();
  QByteArray prefixed = "not part of the archive" + zip;

  CefRefPtr<CefZipArchive> forwardOnly(new CefZipArchive());
  QByteArray copy = zip;
  EXPECT_EQ(forwardOnly->Load(new ForwardOnlyReader(CefStreamReader::CreateForData(copy.data(), static_cast<size_t>(copy.size()))),
                              "", false),
            2u);
  ASSERT_TRUE(forwardOnly->GetFile("big.bin"));
  EXPECT_EQ(ReadAll(forwardOnly->GetFile("big.bin")->GetStreamReader()), big);

  CefRefPtr<CefStreamReader> partlyRead = CefStreamReader::CreateForData(prefixed.data(), static_cast<size_t>(prefixed.size()));
  char skipped[23];
  ASSERT_EQ(partlyRead->Read(skipped, 1, sizeof(skipped)), sizeof(skipped));
  CefRefPtr<CefZipArchive> fromTheMiddle(new CefZipArchive());
  EXPECT_EQ(fromTheMiddle->Load(partlyRead, "", false), 2u);
  ASSERT_TRUE(fromTheMiddle->GetFile("a.txt"));
  EXPECT_EQ(ReadAll(fromTheMiddle->GetFile("a.txt")->GetStreamReader()), "first");
}

TEST(ZipArchiveTest, OverwriteDecidesWhichCopyWins) {
  QTemporaryDir dir;
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  archive->Load(CefStreamReader::CreateForFile(MakeZip(dir, {{"a.txt", "first"}})), "", false);
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(MakeZip(dir, {{"a.txt", "second"}})), "", false), 0u);
  EXPECT_EQ(ReadAll(archive->GetFile("a.txt")->GetStreamReader()), "first");
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(MakeZip(dir, {{"a.txt", "second"}})), "", true), 1u);
  EXPECT_EQ(ReadAll(archive->GetFile("a.txt")->GetStreamReader()), "second");
  EXPECT_TRUE(archive->RemoveFile("A.TXT"));
  EXPECT_EQ(archive->GetFileCount(), 0u);
}

TEST(ZipArchiveTest, PasswordsAesAndTraditional) {
  QTemporaryDir dir;
  for (zip_uint16_t method : {ZIP_EM_AES_256, ZIP_EM_TRAD_PKWARE}) {
    const auto path = MakeZip(dir, {{"secret.txt", "hidden text"}}, "s3cret", method);
    CefRefPtr<CefZipArchive> right(new CefZipArchive());
    EXPECT_EQ(right->Load(CefStreamReader::CreateForFile(path), "s3cret", false), 1u) << method;
    EXPECT_EQ(ReadAll(right->GetFile("secret.txt")->GetStreamReader()), "hidden text");

    LogCapture capture;
    CefRefPtr<CefZipArchive> wrong(new CefZipArchive());
    EXPECT_EQ(wrong->Load(CefStreamReader::CreateForFile(path), "wrong", false), 0u) << method;
    EXPECT_EQ(wrong->Load(CefStreamReader::CreateForFile(path), "", false), 0u) << method;
    EXPECT_FALSE(capture.Matching("secret.txt").empty());
  }
}

// AES keys come from the password through HMAC, which hashes a password
// longer than its 64-byte block first: passwords on both sides of that length
// open what libzip wrote, and one that differs only in its last byte does not.
TEST(ZipArchiveTest, AesPasswordsShortAndLong) {
  QTemporaryDir dir;
  for (size_t length : {1u, 63u, 64u, 65u, 200u}) {
    std::string password(length, 'p');
    for (size_t i = 0; i < length; ++i) password[i] = static_cast<char>('!' + (i * 31) % 90);
    std::string near = password;
    near.back() = near.back() == 'x' ? 'y' : 'x';
    for (zip_uint16_t method : {ZIP_EM_AES_128, ZIP_EM_AES_256}) {
      const auto path = MakeZip(dir, {{"a.txt", "first"}, {"b.txt", "second"}}, password, method);
      CefRefPtr<CefZipArchive> right(new CefZipArchive());
      ASSERT_EQ(right->Load(CefStreamReader::CreateForFile(path), password, false), 2u) << length << "/" << method;
      EXPECT_EQ(ReadAll(right->GetFile("b.txt")->GetStreamReader()), "second");
      LogCapture capture;
      CefRefPtr<CefZipArchive> wrong(new CefZipArchive());
      EXPECT_EQ(wrong->Load(CefStreamReader::CreateForFile(path), near, false), 0u) << length << "/" << method;
    }
  }
}

// Large entries are inflated when first read: the archive and its copies
// outlive the loader, and threads reading at once get the same bytes.
TEST(ZipArchiveTest, LargeEntriesReadLaterFromAnyThread) {
  QTemporaryDir dir;
  std::string big(300 * 1024, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7919) % 26);
  CefRefPtr<CefZipArchive::File> file;
  {
    CefRefPtr<CefZipArchive> archive(new CefZipArchive());
    ASSERT_EQ(archive->Load(CefStreamReader::CreateForFile(MakeZip(dir, {{"big.bin", big}}, "pw")), "pw", false), 1u);
    file = archive->GetFile("big.bin");
  }
  ASSERT_TRUE(file);
  std::vector<std::string> read(4);
  std::vector<std::thread> readers;
  for (auto& text : read) readers.emplace_back([&] { text = ReadAll(file->GetStreamReader()); });
  for (auto& reader : readers) reader.join();
  for (const auto& text : read) EXPECT_TRUE(text == big);
  EXPECT_EQ(file->GetDataSize(), big.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file->GetData()), file->GetDataSize()), big);
}

// AES entries of every key length, deflated or stored, small (read at load)
// and large (read later): the same bytes back. Data altered after writing is
// caught by the entry's authentication code.
TEST(ZipArchiveTest, AesEntriesOfEveryKeyLengthAndAlteredData) {
  QTemporaryDir dir;
  std::string big(400 * 1024, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 11);
  const std::string small = "small and compressible, small and compressible";
  for (zip_uint16_t method : {ZIP_EM_AES_128, ZIP_EM_AES_192, ZIP_EM_AES_256}) {
    for (zip_int32_t compression : {ZIP_CM_DEFLATE, ZIP_CM_STORE}) {
      const std::string path = dir.filePath(QString("aes%1-%2.zip").arg(method).arg(compression)).toStdString();
      int error = 0;
      zip_t* writer = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
      for (const auto& [name, content] : {std::pair<const char*, const std::string*>{"big.bin", &big}, {"small.txt", &small}}) {
        const zip_int64_t index = zip_file_add(writer, name, zip_source_buffer(writer, content->data(), content->size(), 0), 0);
        zip_set_file_compression(writer, static_cast<zip_uint64_t>(index), compression, 0);
        zip_file_set_encryption(writer, static_cast<zip_uint64_t>(index), method, "k3y");
      }
      ASSERT_EQ(zip_close(writer), 0);
      CefRefPtr<CefZipArchive> archive(new CefZipArchive());
      ASSERT_EQ(archive->Load(CefStreamReader::CreateForFile(path), "k3y", false), 2u) << method << "/" << compression;
      EXPECT_TRUE(ReadAll(archive->GetFile("big.bin")->GetStreamReader()) == big) << method << "/" << compression;
      EXPECT_EQ(ReadAll(archive->GetFile("small.txt")->GetStreamReader()), small);

      // One bit of the large entry's data flipped (it fills most of the file).
      AlterMiddleByte(QString::fromStdString(path));
      LogCapture capture;
      CefRefPtr<CefZipArchive> altered(new CefZipArchive());
      ASSERT_EQ(altered->Load(CefStreamReader::CreateForFile(path), "k3y", false), 2u);
      EXPECT_EQ(altered->GetFile("big.bin")->GetDataSize(), 0u);
      EXPECT_EQ(capture.Matching("zip entry damaged or wrong password: big.bin").size(), 1u);
    }
  }
}

// Large entries are read from the archive as they are asked for, stored,
// deflated or decrypted by libzip: seeks forward and back (Range requests)
// give the right bytes. When the archive's bytes were altered, no reader ever
// gives the whole entry: the piece that reaches its end (and fails its CRC) is
// withheld, which cuts a served response short.
TEST(ZipArchiveTest, LargeEntriesStreamSeekAndNeverGiveDamagedBytesWhole) {
  QTemporaryDir dir;
  std::string big(300 * 1024, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + ((i * 2654435761u) >> 13) % 7);
  for (const auto& [compression, password] : {std::pair<zip_int32_t, std::string>{ZIP_CM_STORE, ""},
                                              {ZIP_CM_DEFLATE, ""}, {ZIP_CM_DEFLATE, "pw"}}) {
    const std::string what = std::to_string(compression) + "/" + password;
    const std::string path = MakeZip(dir, {{"big.bin", big}}, password, ZIP_EM_TRAD_PKWARE, compression);
    CefRefPtr<CefZipArchive> archive(new CefZipArchive());
    ASSERT_EQ(archive->Load(CefStreamReader::CreateForFile(path), password, false), 1u) << what;
    CefRefPtr<CefStreamReader> reader = archive->GetFile("big.bin")->GetStreamReader();
    EXPECT_EQ(reader->Seek(0, SEEK_END), 0);
    EXPECT_EQ(reader->Tell(), static_cast<int64>(big.size()));
    char piece[10];
    EXPECT_EQ(reader->Seek(200000, SEEK_SET), 0);
    EXPECT_EQ(reader->Read(piece, 1, sizeof(piece)), sizeof(piece));
    EXPECT_EQ(std::string(piece, sizeof(piece)), big.substr(200000, sizeof(piece))) << what;
    EXPECT_EQ(reader->Seek(5, SEEK_SET), 0);
    EXPECT_EQ(reader->Read(piece, 1, sizeof(piece)), sizeof(piece));
    EXPECT_EQ(std::string(piece, sizeof(piece)), big.substr(5, sizeof(piece))) << what;
    EXPECT_TRUE(ReadAll(reader) == big.substr(15)) << what;
    EXPECT_NE(reader->Eof(), 0);

    AlterMiddleByte(QString::fromStdString(path));
    LogCapture capture;
    CefRefPtr<CefZipArchive> altered(new CefZipArchive());
    ASSERT_EQ(altered->Load(CefStreamReader::CreateForFile(path), password, false), 1u) << what;
    CefRefPtr<CefStreamReader> damaged = altered->GetFile("big.bin")->GetStreamReader();
    EXPECT_LT(ReadAll(damaged).size(), big.size()) << what;
    EXPECT_NE(damaged->Eof(), 0) << what;  // a reader waiting for the end is not left waiting
    EXPECT_EQ(altered->GetFile("big.bin")->GetDataSize(), 0u) << what;
    EXPECT_EQ(capture.Matching("zip entry damaged or wrong password: big.bin").size(), 2u) << what;
  }
}

TEST(ZipArchiveTest, EntriesLeavingTheRootAreRefused) {
  QTemporaryDir dir;
  LogCapture capture;
  const auto path = MakeZip(dir, {{"../evil.txt", "x"}, {"a/../../evil2.txt", "x"}, {"C:/evil3.txt", "x"}, {"ok/../fine.txt", "x"},
                                  {"good.txt", "g"}});
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(path), "", false), 1u);
  EXPECT_TRUE(archive->HasFile("good.txt"));
  EXPECT_EQ(capture.Matching("path leaves the archive").size(), 4u);
  EXPECT_EQ(CefZipArchive::NormalizeName("a/./b//c.txt"), "a/b/c.txt");
  EXPECT_EQ(CefZipArchive::NormalizeName("a/../b"), "");
}

TEST(ZipArchiveTest, DamagedOrForeignFilesLoadNothing) {
  QTemporaryDir dir;
  const auto path = MakeZip(dir, {{"a.txt", std::string(10000, 'a')}, {"b.txt", "b"}});
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QByteArray bytes = file.readAll();
  LogCapture capture;
  for (QByteArray broken : {bytes.left(bytes.size() / 2), QByteArray("not a zip at all"), QByteArray()}) {
    CefRefPtr<CefZipArchive> archive(new CefZipArchive());
    EXPECT_EQ(archive->Load(CefStreamReader::CreateForData(broken.data(), static_cast<size_t>(broken.size())), "", false), 0u);
  }
  EXPECT_EQ(capture.Matching("zip archive not readable").size(), 3u);
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(nullptr, "", false), 0u);
  EXPECT_EQ(CefStreamReader::CreateForFile(dir.filePath("missing.zip").toStdString()), nullptr);
}

size_t LoadBytes(CefRefPtr<CefZipArchive> archive, QByteArray bytes) {
  return archive->Load(CefStreamReader::CreateForData(bytes.data(), static_cast<size_t>(bytes.size())), "", false);
}

// Sets the inflated size that the local and the central header of the first
// entry declare (a bomb's lie: its data need not be there).
void DeclareInflatedSize(QByteArray& bytes, quint32 size) {
  const auto put = [&bytes, size](int at) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  };
  const int local = bytes.indexOf("PK\x03\x04");
  const int central = bytes.indexOf("PK\x01\x02");
  ASSERT_GE(local, 0);
  ASSERT_GE(central, 0);
  put(local + 22);
  put(central + 24);
}

TEST(ZipArchiveTest, AbsoluteNamesAreRefused) {
  QTemporaryDir dir;
  LogCapture capture;
  const auto path = MakeZip(dir, {{"/etc/passwd", "x"}, {"\\windows\\win.ini", "x"}, {"good.txt", "g"}});
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(path), "", false), 1u);
  EXPECT_FALSE(archive->HasFile("etc/passwd"));
  EXPECT_FALSE(archive->HasFile("windows/win.ini"));
  EXPECT_EQ(capture.Matching("zip entry refused, its path is absolute: /etc/passwd").size(), 1u);
  EXPECT_EQ(capture.Matching("zip entry refused, its path is absolute: \\windows\\win.ini").size(), 1u);
}

TEST(ZipArchiveTest, ASecondEntryOfANameIsRefusedAndTheFirstServed) {
  QTemporaryDir dir;
  LogCapture capture;
  // Names that differ in case only are one name here.
  const auto cased = MakeZip(dir, {{"Index.html", "first"}, {"index.HTML", "second"}});
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(cased), "", true), 1u);
  EXPECT_EQ(ReadAll(archive->GetFile("index.html")->GetStreamReader()), "first");
  EXPECT_EQ(capture.Matching("zip entry refused, an earlier entry of the archive has its name: index.HTML").size(), 1u);

  // The very same name twice (written as "a.txt" and "b.txt", then renamed).
  QByteArray same = ReadBytes(MakeZip(dir, {{"a.txt", "first"}, {"b.txt", "other"}}));
  same.replace("b.txt", "a.txt");
  CefRefPtr<CefZipArchive> twice(new CefZipArchive());
  const size_t loaded = LoadBytes(twice, same);
  // Either the reader refuses the archive or the first copy is served; both are logged.
  ASSERT_LE(loaded, 1u);
  if (loaded == 0) {
    EXPECT_EQ(capture.Matching("zip archive not readable: ").size(), 1u);
    return;
  }
  EXPECT_EQ(ReadAll(twice->GetFile("a.txt")->GetStreamReader()), "first");
  EXPECT_EQ(capture.Matching("zip entry refused, an earlier entry of the archive has its name: a.txt").size(), 1u);
}

TEST(ZipArchiveTest, ZipBombsAreRefusedBeforeTheyInflate) {
  QTemporaryDir dir;
  LogCapture capture;
  // 16 MiB of zeros inflate about a thousand times.
  const auto ratio = MakeZip(dir, {{"zeros.bin", std::string(16u << 20, '\0')}, {"small.txt", "s"}});
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(archive->Load(CefStreamReader::CreateForFile(ratio), "", false), 1u);
  EXPECT_FALSE(archive->HasFile("zeros.bin"));
  ASSERT_EQ(capture.Matching("zip entry refused, it inflates from ").size(), 1u);
  EXPECT_NE(capture.Matching("zip entry refused, it inflates from ")[0].text.find("times (a zip bomb): zeros.bin"),
            std::string::npos);

  // An entry that claims 2 GiB is not even allocated.
  QByteArray huge = ReadBytes(MakeZip(dir, {{"huge.bin", "tiny"}}));
  DeclareInflatedSize(huge, 0x7FFFFFFFu);
  CefRefPtr<CefZipArchive> lying(new CefZipArchive());
  EXPECT_EQ(LoadBytes(lying, huge), 0u);
  EXPECT_EQ(capture.Matching("zip entry refused, it inflates to 2147483647 bytes, over the limit of 268435456 bytes: huge.bin").size(), 1u);

  // Entries each small enough, together far beyond what the archive's size allows.
  std::vector<Entry> many;
  for (int i = 0; i < 4; ++i) many.push_back({"part" + std::to_string(i) + ".bin", std::string(4u << 20, 'z')});
  CefRefPtr<CefZipArchive> parts(new CefZipArchive());
  EXPECT_EQ(parts->Load(CefStreamReader::CreateForFile(MakeZip(dir, many)), "", false), 2u);
  EXPECT_EQ(capture.Matching("zip entry refused, the archive's files would inflate to over 8388608 bytes: part").size(), 2u);
}

TEST(ZipArchiveTest, ATruncatedCentralDirectoryLoadsNothing) {
  QTemporaryDir dir;
  const QByteArray bytes = ReadBytes(MakeZip(dir, {{"a.txt", "aaaa"}, {"b.txt", "bbbb"}, {"c.txt", "cccc"}}));
  const int central = bytes.indexOf("PK\x01\x02");
  const int end = bytes.indexOf("PK\x05\x06");
  ASSERT_GT(central, 0);
  ASSERT_GT(end, central);
  LogCapture capture;
  // The end record kept, half of the central directory before it gone.
  const QByteArray cut = bytes.left(central + (end - central) / 2) + bytes.mid(end);
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  EXPECT_EQ(LoadBytes(archive, cut), 0u);
  EXPECT_EQ(archive->GetFileCount(), 0u);
  EXPECT_EQ(capture.Matching("zip archive not readable: ").size(), 1u);
}

// The key stream is made 64 KB at a time and applied eight bytes at a time:
// pieces of any size, at any offset, decrypt as the whole does.
TEST(ZipArchiveTest, AesPiecesOfAnySizeDecryptAsTheWhole) {
  cefcompat::WinZipAesKeys keys;
  keys.keyBytes = 32;
  keys.material.assign(2 * 32 + 2, 0x5a);
  std::vector<unsigned char> data(200 * 1024 + 13);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131 + 7);
  std::vector<unsigned char> whole(data.size());
  ASSERT_TRUE(cefcompat::WinZipAesCipher(keys).Apply(data.data(), data.size(), whole.data()));
  std::vector<unsigned char> pieces(data.size());
  cefcompat::WinZipAesCipher cipher(keys);
  size_t done = 0;
  for (size_t piece : {1u, 7u, 8u, 9u, 65535u, 3u, 65536u, 70001u}) {
    piece = std::min(piece, data.size() - done);
    ASSERT_TRUE(cipher.Apply(data.data() + done, piece, pieces.data() + done));
    done += piece;
  }
  ASSERT_TRUE(cipher.Apply(data.data() + done, data.size() - done, pieces.data() + done));
  EXPECT_TRUE(pieces == whole);
  EXPECT_FALSE(whole == data);
}

TEST(StreamReaderTest, SeekTellAndEof) {
  std::string text = "0123456789";
  CefRefPtr<CefStreamReader> reader = CefStreamReader::CreateForData(text.data(), text.size());
  text[0] = 'X';  // the reader keeps its own copy
  char buffer[4] = {};
  EXPECT_EQ(reader->Read(buffer, 1, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(reader->Tell(), 4);
  EXPECT_EQ(reader->Seek(-2, SEEK_END), 0);
  EXPECT_EQ(reader->Read(buffer, 1, 4), 2u);
  EXPECT_NE(reader->Eof(), 0);
  EXPECT_NE(reader->Seek(11, SEEK_SET), 0);
  EXPECT_EQ(reader->Seek(0, SEEK_SET), 0);
  EXPECT_EQ(reader->Eof(), 0);
  char items[12] = {};
  EXPECT_EQ(reader->Read(items, 3, 4), 3u);  // whole items only: 3 items of 3 bytes from 10
  EXPECT_EQ(reader->Tell(), 9);
}

}  // namespace
