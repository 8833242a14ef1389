#include "launcher_site.h"

#include <zip.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cmath>

namespace {

constexpr int kImages = 120;
const char* const kFonts[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSansMono.ttf"};
constexpr char kFontFolder[] = "/usr/share/fonts/truetype/dejavu/";

// A small, fast, repeatable source of numbers.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  uint32_t state_;
};

std::string Identifier(Noise& noise) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_$";
  std::string name(1 + noise.Next() % 3, 'a');
  for (char& c : name) c = kLetters[noise.Next() % (sizeof(kLetters) - 1)];
  return name + std::to_string(noise.Next() % 1000);
}

// Code as a minifier leaves it: short names, one long line per module, run once at load.
std::string Bundle(int index, size_t size) {
  Noise noise(100 + static_cast<uint32_t>(index));
  std::string code = "(function(){var e={};";
  while (code.size() < size) {
    const std::string f = Identifier(noise), a = Identifier(noise), b = Identifier(noise);
    code += "e." + f + "=function(" + a + "," + b + "){if(" + a + ">" + std::to_string(noise.Next() % 5000) + ")return " + b +
            ";var t=[" + std::to_string(noise.Next() % 97) + "," + std::to_string(noise.Next() % 89) + "];return t.map(function(n){return n*" +
            a + "+\"" + Identifier(noise) + "\"}).join(\"" + Identifier(noise) + "\")};";
  }
  return code + "window.bundles=(window.bundles||0)+1;})();\n";
}

std::string Sheet(int index, size_t size) {
  Noise noise(200 + static_cast<uint32_t>(index));
  std::string css;
  while (css.size() < size) {
    css += "." + Identifier(noise) + " ." + Identifier(noise) + "{margin:" + std::to_string(noise.Next() % 24) + "px " +
           std::to_string(noise.Next() % 24) + "px;color:#" + std::to_string(100000 + noise.Next() % 899999) +
           ";transition:opacity ." + std::to_string(noise.Next() % 9) + "s}";
  }
  return css + "\n";
}

// An image of about `size` bytes: noise over a gradient, as PNG or JPEG.
std::string Image(int index, int size, bool png) {
  Noise noise(300 + static_cast<uint32_t>(index));
  // PNG of noise costs about 3 bytes a pixel; JPEG at quality 90 about 1.5.
  const int side = std::max(16, static_cast<int>(std::sqrt(size / (png ? 3.0 : 1.5))));
  QImage image(side, side, QImage::Format_RGB888);
  for (int y = 0; y < side; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < side * 3; ++x) line[x] = static_cast<uchar>((x + y) / 4 + noise.Next() % 96);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, png ? "PNG" : "JPG", png ? 1 : 90);
  return bytes.toStdString();
}

std::string Catalogue() {
  Noise noise(400);
  std::string json = "{\"games\":[";
  for (int i = 0; i < 400; ++i) {
    json += std::string(i ? "," : "") + "{\"id\":" + std::to_string(i) + ",\"title\":\"" + Identifier(noise) + " " +
            Identifier(noise) + "\",\"size\":" + std::to_string(noise.Next() % 90000) + ",\"tags\":[\"" + Identifier(noise) +
            "\",\"" + Identifier(noise) + "\"],\"summary\":\"" + Identifier(noise) + " " + Identifier(noise) + " " +
            Identifier(noise) + "\"}";
  }
  return json + "]}";
}

}  // namespace

void LauncherSite::Add(std::string name, std::string bytes, bool compress) {
  bytes_ += static_cast<int64_t>(bytes.size());
  files_.push_back({std::move(name), std::move(bytes), compress});
}

bool LauncherSite::AddFonts(std::string& error) {
  for (const char* font : kFonts) {
    QFile file(QString(kFontFolder) + font);
    if (!file.open(QIODevice::ReadOnly)) {
      error = std::string("font not found: ") + kFontFolder + font + " (Debian's fonts-dejavu-core)";
      return false;
    }
    Add(std::string("fonts/") + font, file.readAll().toStdString(), false);
  }
  return true;
}

void LauncherSite::AddImages() {
  for (int i = 0; i < kImages; ++i) {
    // Most small, a few large, as thumbnails and banners are.
    const double u = static_cast<double>((i * 37) % kImages) / (kImages - 1);
    const int size = 5 * 1024 + static_cast<int>(295 * 1024 * std::pow(u, 8));
    const bool png = i % 2 == 0;
    images_.push_back("img/i" + std::to_string(i) + (png ? ".png" : ".jpg"));
    Add(images_.back(), Image(i, size, png), false);
  }
}

void LauncherSite::AddScripts() {
  const size_t sizes[] = {1100 * 1024, 600 * 1024, 350 * 1024};
  for (int i = 0; i < 3; ++i) Add("js/bundle" + std::to_string(i) + ".js", Bundle(i, sizes[i]), true);
}

void LauncherSite::AddStyles() {
  std::string faces;
  const char* families[] = {"ui", "ui-bold", "serif-face", "mono-face"};
  for (int i = 0; i < 4; ++i) {
    faces += "@font-face{font-family:" + std::string(families[i]) + ";src:url(../fonts/" + kFonts[i] + ")}." +
             families[i] + "{font-family:" + families[i] + "}";
  }
  Add("css/app.css", faces + Sheet(0, 120 * 1024), true);
  Add("css/theme.css", Sheet(1, 60 * 1024), true);
}

std::string LauncherSite::Html() const {
  std::string html =
      "<!doctype html><html><head><meta charset=utf-8><title>launcher</title>"
      "<link rel=stylesheet href=css/app.css><link rel=stylesheet href=css/theme.css>"
      "<script src=js/bundle0.js defer></script><script src=js/bundle1.js defer></script>"
      "<script src=js/bundle2.js defer></script>"
      "<script>Promise.all([new Promise(function(r){addEventListener('load',r)}),"
      "fetch('data/catalogue.json').then(function(r){return r.json()}).catch(function(){return null})]).then(function(v){"
      "console.log(window.bundles===3&&(!v[1]&&location.protocol==='file:'||v[1].games.length)?'ready':'broken')})"
      "</script></head><body>"
      "<p class=ui>Library</p><p class=ui-bold>Store</p><p class=serif-face>News</p><p class=mono-face>v1.0</p>";
  for (const auto& image : images_) html += "<img src=" + image + " width=64 height=64>";
  return html + "</body></html>";
}

bool LauncherSite::Write(const std::string& folder, const std::string& password, std::string& error) {
  site_ = folder + "/launcher";
  zip_ = folder + "/launcher.zip";
  lockedZip_ = folder + "/launcher-locked.zip";
  if (!AddFonts(error)) return false;
  AddImages();
  AddScripts();
  AddStyles();
  Add("data/catalogue.json", Catalogue(), true);
  Add("other.html", "<!doctype html><p>another page</p><script>addEventListener('load',function(){console.log('other')})</script>", true);
  Add("index.html", Html(), true);
  for (const auto& file : files_) {
    const QString path = QString::fromStdString(site_ + "/" + file.name);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes.data(), static_cast<qint64>(file.bytes.size())) < 0) {
      error = "cannot write " + path.toStdString();
      return false;
    }
  }
  return Pack(zip_, "", error) && Pack(lockedZip_, password, error);
}

bool LauncherSite::Pack(const std::string& path, const std::string& password, std::string& error) const {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    error = "cannot create " + path;
    return false;
  }
  for (const auto& file : files_) {
    zip_source_t* source = zip_source_buffer(archive, file.bytes.data(), file.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, file.name.c_str(), source, 0);
    const auto at = static_cast<zip_uint64_t>(index);
    zip_set_file_compression(archive, at, file.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    if (!password.empty()) zip_file_set_encryption(archive, at, ZIP_EM_AES_256, password.c_str());
  }
  if (zip_close(archive) != 0) {
    error = "cannot write " + path + ": " + zip_strerror(archive);
    zip_discard(archive);
    return false;
  }
  return true;
}
