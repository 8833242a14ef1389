#pragma once
// What the view benchmark's processes share: the sizes measured, the pages
// shown, and the key test's shape (the two colours its page switches between
// on each key press, how many presses, how far apart).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QByteArray>

struct ViewSize {
  int width;
  int height;
};
constexpr ViewSize kViewSizes[] = {{1280, 720}, {1920, 1080}};
// The key test runs at the first size.
constexpr ViewSize kKeySize = kViewSizes[0];

constexpr int kKeyPresses = 30;
constexpr int kKeyWarmUp = 3;
constexpr int kKeyChangeTimeoutMs = 1000;

// Presses are spaced unevenly, so that they fall at every point of the
// display's frame interval.
inline int KeyPauseMs(int press) { return 40 + press * 13 % 33; }

inline std::string SizeName(const ViewSize& size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The key page's colours as 0xRRGGBB; it starts with the first.
constexpr unsigned int kKeyColours[2] = {0x1e1edc, 0xdc1e1e};

inline std::string HtmlDataUrl(const std::string& html) {
  return "data:text/html," + QByteArray::fromStdString(html).toPercentEncoding().toStdString();
}

// A full-window canvas filled with another colour on every animation frame,
// a square crossing it; `window.__frames` counts the page's animation frames.
inline std::string AnimatingPage() {
  return HtmlDataUrl(
      "<style>html,body{margin:0;overflow:hidden}canvas{display:block}</style><canvas id=c></canvas><script>"
      "const x=c.getContext('2d');window.__frames=0;(function f(){const n=++window.__frames;"
      "if(c.width!==innerWidth||c.height!==innerHeight){c.width=innerWidth;c.height=innerHeight;}"
      "x.fillStyle='hsl('+(n%360)+',80%,50%)';x.fillRect(0,0,c.width,c.height);"
      "x.fillStyle='#fff';x.fillRect(n*8%c.width,c.height/2-40,80,80);requestAnimationFrame(f);})();"
      "</script>");
}

// The whole page turns from one of kKeyColours to the other on each keydown.
inline std::string KeyPage(const std::string& title) {
  char colours[64];
  std::snprintf(colours, sizeof(colours), "['#%06x','#%06x']", kKeyColours[0], kKeyColours[1]);
  return HtmlDataUrl("<title>" + title +
                     "</title><style>html,body{margin:0;height:100%;overflow:hidden}</style><script>"
                     "const colours=" +
                     colours +
                     ";let n=0;"
                     "const paint=()=>{document.documentElement.style.background=colours[n%2];};paint();"
                     "addEventListener('keydown',()=>{++n;paint();});</script>");
}

// Which of kKeyColours `rgb` is (within what JPEG does to a flat colour);
// -1 for neither.
inline int KeyColourIndex(unsigned int rgb) {
  for (int i = 0; i < 2; ++i) {
    int off = 0;
    for (int shift : {0, 8, 16}) {
      off = std::max(
          off, std::abs(static_cast<int>((rgb >> shift) & 0xff) - static_cast<int>((kKeyColours[i] >> shift) & 0xff)));
    }
    if (off <= 24) return i;
  }
  return -1;
}

// Lines of 12 px black text on white, 24 px apart: the rows between them are
// white in a lossless frame.
inline std::string TextPage() {
  std::string lines;
  for (int i = 0; i < 30; ++i) {
    lines += "<div>The launcher's library, game " + std::to_string(i) + ": patch notes, screenshots and logs.</div>";
  }
  return HtmlDataUrl("<style>html,body{margin:0;background:white}div{font:12px sans-serif;line-height:24px;"
                     "color:black;padding-left:8px}</style>" + lines + "<script>window.__ready=1</script>");
}
