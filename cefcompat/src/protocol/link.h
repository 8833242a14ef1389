#pragma once
// The link between a browser and its render side: protocol traffic of the
// render side's own sessions, relayed by the browser process, plus messages of
// the link itself ({"link": kind, ...}), all NUL-framed JSON on a socket pair.

#include <string>

#include <nlohmann/json.hpp>

#include "include/cef_process_message.h"

namespace cefcompat {

using Json = nlohmann::json;

// {"link":"message","frame":<protocol frame id>,"name":...,"args":[...]}, the
// arguments as ValueCodec writes them. False, with the reason logged, when the
// message exceeds the codec's limits: it is then not sent.
bool EncodeProcessMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message, Json* out);
// A read-only message, as CEF hands received ones to handlers.
CefRefPtr<CefProcessMessage> DecodeProcessMessage(const Json& link);

// A string member of a link message; empty when missing or of another type.
std::string LinkString(const Json& link, const char* key);

// Maps the protocol's frame id strings to the int64 identifiers CEF hands out,
// the same in every process of the runtime.
int64 FrameIdentifierFor(const std::string& protocolFrameId);

// The source URL of the script the render side runs at each document's start.
// Of the scripts a page parses, the render side follows only this one: the
// relay does not pass the others down (every evaluation is one of them).
constexpr char kSetupScriptUrl[] = "cefcompat://extensions";

// The switch that hands a render sub-process its end of the link.
constexpr char kLinkFdSwitch[] = "cefcompat-link-fd";

}  // namespace cefcompat
