#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The error record every fallible operation returns; an empty pointer means
// success. A record may wrap the error that caused it (`cause`), so a chain
// runs from the outermost operation down to the root cause. Records are not
// changed once returned and may be read from any thread.
class VellError {
 public:
  VellError(const char* message, const char* fileName, const int& lineNum,
            const char* functionName);
  VellError(const std::string& message, const char* fileName, const int& lineNum,
            const char* functionName);
  VellError(const std::string& message, const std::string& fileName, const int& lineNum,
            const std::string& functionName, const std::shared_ptr<VellError>& cause);
  VellError(const char* message, const char* fileName, const int& lineNum,
            const char* functionName, const std::shared_ptr<VellError>& cause);
  // Only TryCatch uses this form: the first argument is the category and the
  // message stays empty.
  VellError(const char* category, const char* fileName, const int& lineNum,
            const char* functionName, std::nullptr_t);

  // "{functionName} at {fileName}:{lineNum}[ message][ extra]" for this record
  // alone. Never throws.
  std::string GetErrorString() const;

  // Runs fn; an exception it throws becomes a record.
  static std::shared_ptr<VellError> TryCatch(const std::function<std::shared_ptr<VellError>()>& fn);

  // result = empty when inner is empty, else a new record wrapping inner.
  static void Wrap(std::shared_ptr<VellError>& result, const std::shared_ptr<VellError>& inner,
                   const std::string& message, const std::string& fileName, const int& lineNum,
                   const std::string& functionName);

  // The strings of the chain, outermost first. Returns whether any was added.
  static bool CollectErrorStrings(std::vector<std::string>& out, std::shared_ptr<VellError> error);

  // Logs the chain at info, root cause first. Returns false for an empty pointer.
  static bool LogErrorChain(std::shared_ptr<VellError> error);

  nlohmann::json extra;
  std::string category = "common";
  std::string exceptionType;
  std::string exceptionMessage;
  std::string errorMessage;
  std::shared_ptr<VellError> cause;
  std::string fileName;
  std::string functionName;
  int32_t lineNum = -1;
  int64_t creationTime = 0;

 private:
  void _StampCreationTime();
};

using VellErrorPtr = std::shared_ptr<VellError>;

// The creation convention: message, this source file and line, and the literal
// qualified name of the reporting function.
#define VELL_ERROR(message, functionName) \
  std::make_shared<VellError>((message), __FILE__, __LINE__, (functionName))
#define VELL_WRAP_ERROR(message, functionName, cause) \
  std::make_shared<VellError>((message), __FILE__, __LINE__, (functionName), (cause))
