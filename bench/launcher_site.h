#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A launcher-shaped page written to a folder and packed into two zips (one
// with a password): index.html, three script bundles (about 2 MB of
// minified-looking code), two style sheets, four web fonts (DejaVu, from the
// system's fonts), 120 PNG and JPEG images of 5 KB to 300 KB, and a JSON the
// page's script fetches; about 8 MB. Text is deflated in the zips, images and
// fonts stored. The page logs "ready" to the console once its load event has
// fired and the JSON has arrived (from file:// Chromium refuses the fetch: the
// page goes on without it); other.html is a small page to go to and
// back, which logs "other" at its load event.
class LauncherSite {
 public:
  // Writes everything below `folder`; false (with `error` set) when a part could not be made.
  bool Write(const std::string& folder, const std::string& password, std::string& error);
  std::string Site() const { return site_; }
  std::string Zip() const { return zip_; }
  std::string LockedZip() const { return lockedZip_; }
  int64_t Bytes() const { return bytes_; }
  size_t Files() const { return files_.size(); }

 private:
  struct File {
    std::string name;
    std::string bytes;
    bool compress;
  };
  void Add(std::string name, std::string bytes, bool compress);
  bool AddFonts(std::string& error);
  void AddImages();
  void AddScripts();
  void AddStyles();
  std::string Html() const;
  bool Pack(const std::string& path, const std::string& password, std::string& error) const;

  std::vector<File> files_;
  std::vector<std::string> images_;
  std::string site_, zip_, lockedZip_;
  int64_t bytes_ = 0;
};
