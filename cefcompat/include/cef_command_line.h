#pragma once

#include <map>
#include <vector>

#include "include/cef_base.h"

// A program's arguments: the program, switches ("--name" or "--name=value")
// and plain arguments.
class CefCommandLine : public virtual CefBaseRefCounted {
 public:
  using ArgumentList = std::vector<CefString>;
  using SwitchMap = std::map<CefString, CefString>;

  static CefRefPtr<CefCommandLine> CreateCommandLine();
  // The launcher's own command line, as given to CefExecuteProcess/CefInitialize.
  static CefRefPtr<CefCommandLine> GetGlobalCommandLine();

  void InitFromArgv(int argc, const char* const* argv);
  void InitFromString(const CefString& command_line);
  void Reset();
  void GetArgv(std::vector<CefString>& argv);
  CefString GetCommandLineString();
  CefString GetProgram();
  void SetProgram(const CefString& program);
  bool HasSwitches();
  bool HasSwitch(const CefString& name);
  CefString GetSwitchValue(const CefString& name);
  void GetSwitches(SwitchMap& switches);
  void AppendSwitch(const CefString& name);
  void AppendSwitchWithValue(const CefString& name, const CefString& value);
  bool HasArguments();
  void GetArguments(ArgumentList& arguments);
  void AppendArgument(const CefString& argument);

 private:
  CefString program_;
  // Insertion order is kept so the command line reads back as it was built.
  std::vector<std::pair<CefString, CefString>> switches_;
  ArgumentList arguments_;
  IMPLEMENT_REFCOUNTING(CefCommandLine);
};
