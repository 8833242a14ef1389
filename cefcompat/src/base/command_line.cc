#include <mutex>
#include <sstream>

#include "include/cef_command_line.h"

namespace {

std::mutex g_globalMutex;
CefRefPtr<CefCommandLine>& Global() {
  static CefRefPtr<CefCommandLine> global;
  return global;
}

}  // namespace

CefRefPtr<CefCommandLine> CefCommandLine::CreateCommandLine() { return new CefCommandLine(); }

CefRefPtr<CefCommandLine> CefCommandLine::GetGlobalCommandLine() {
  std::lock_guard<std::mutex> lock(g_globalMutex);
  if (!Global()) Global() = CreateCommandLine();
  return Global();
}

void CefCommandLine::InitFromArgv(int argc, const char* const* argv) {
  Reset();
  if (argc > 0 && argv && argv[0]) program_ = argv[0];
  bool switchesEnded = false;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i]) continue;
    const std::string arg = argv[i];
    if (switchesEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      if (arg == "--") {
        switchesEnded = true;
        continue;
      }
      AppendArgument(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    if (equals == std::string::npos) {
      AppendSwitch(arg.substr(2));
    } else {
      AppendSwitchWithValue(arg.substr(2, equals - 2), arg.substr(equals + 1));
    }
  }
}

void CefCommandLine::InitFromString(const CefString& command_line) {
  std::istringstream words(command_line.ToString());
  std::vector<std::string> storage;
  for (std::string word; words >> word;) storage.push_back(word);
  std::vector<const char*> argv;
  for (auto& word : storage) argv.push_back(word.c_str());
  InitFromArgv(static_cast<int>(argv.size()), argv.data());
}

void CefCommandLine::Reset() {
  program_.clear();
  switches_.clear();
  arguments_.clear();
}

void CefCommandLine::GetArgv(std::vector<CefString>& argv) {
  argv.clear();
  argv.push_back(program_);
  for (const auto& [name, value] : switches_) {
    argv.push_back(value.empty() ? "--" + name.ToString() : "--" + name.ToString() + "=" + value.ToString());
  }
  for (const auto& argument : arguments_) argv.push_back(argument);
}

CefString CefCommandLine::GetCommandLineString() {
  std::vector<CefString> argv;
  GetArgv(argv);
  std::string joined;
  for (const auto& arg : argv) joined += (joined.empty() ? "" : " ") + arg.ToString();
  return joined;
}

CefString CefCommandLine::GetProgram() { return program_; }
void CefCommandLine::SetProgram(const CefString& program) { program_ = program; }
bool CefCommandLine::HasSwitches() { return !switches_.empty(); }

bool CefCommandLine::HasSwitch(const CefString& name) {
  for (const auto& entry : switches_) {
    if (entry.first == name) return true;
  }
  return false;
}

CefString CefCommandLine::GetSwitchValue(const CefString& name) {
  for (const auto& entry : switches_) {
    if (entry.first == name) return entry.second;
  }
  return CefString();
}

void CefCommandLine::GetSwitches(SwitchMap& switches) {
  switches.clear();
  for (const auto& entry : switches_) switches[entry.first] = entry.second;
}

void CefCommandLine::AppendSwitch(const CefString& name) { AppendSwitchWithValue(name, CefString()); }

void CefCommandLine::AppendSwitchWithValue(const CefString& name, const CefString& value) {
  for (auto& entry : switches_) {
    if (entry.first == name) {
      entry.second = value;
      return;
    }
  }
  switches_.emplace_back(name, value);
}

bool CefCommandLine::HasArguments() { return !arguments_.empty(); }
void CefCommandLine::GetArguments(ArgumentList& arguments) { arguments = arguments_; }
void CefCommandLine::AppendArgument(const CefString& argument) { arguments_.push_back(argument); }
