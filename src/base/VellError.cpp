#include "base/VellError.h"

#include <algorithm>
#include <chrono>

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"

VellError::VellError(const char* message, const char* file, const int& line,
                     const char* function)
    : errorMessage(message ? message : ""),
      fileName(file ? file : ""),
      functionName(function ? function : ""),
      lineNum(line) {
  _StampCreationTime();
}

VellError::VellError(const std::string& message, const char* file, const int& line,
                     const char* function)
    : VellError(message.c_str(), file, line, function) {}

VellError::VellError(const std::string& message, const std::string& file,
                     const int& line, const std::string& function,
                     const std::shared_ptr<VellError>& inner)
    : errorMessage(message),
      fileName(file),
      functionName(function),
      lineNum(line) {
  if (inner) cause = inner;
  _StampCreationTime();
}

VellError::VellError(const char* message, const char* file, const int& line,
                     const char* function, const std::shared_ptr<VellError>& inner)
    : VellError(std::string(message ? message : ""), std::string(file ? file : ""), line,
                std::string(function ? function : ""), inner) {}

VellError::VellError(const char* kind, const char* file, const int& line,
                     const char* function, std::nullptr_t)
    : category(kind ? kind : ""),
      fileName(file ? file : ""),
      functionName(function ? function : ""),
      lineNum(line) {
  _StampCreationTime();
}

void VellError::_StampCreationTime() {
  creationTime = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
}

std::string VellError::GetErrorString() const {
  try {
    const bool noExtra = extra.is_null() || (extra.is_object() && extra.empty()) ||
                         (extra.is_array() && extra.empty());
    const std::string extraPart =
        noExtra ? std::string() : " " + extra.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    const std::string messagePart = errorMessage.empty() ? std::string() : " " + errorMessage;
    return fmt::format("{functionName} at {fileName}:{lineNum}{errorMessage}{extra}",
                       fmt::arg("functionName", functionName), fmt::arg("fileName", fileName),
                       fmt::arg("lineNum", lineNum), fmt::arg("errorMessage", messagePart),
                       fmt::arg("extra", extraPart));
  } catch (const nlohmann::json::exception& e) {
    return std::string("unable to perform VellError::GetErrorString due to nlohmann::json::exception: ") +
           e.what();
  } catch (...) {
    return "unable to perform VellError::GetErrorString: unknown error";
  }
}

std::shared_ptr<VellError> VellError::TryCatch(
    const std::function<std::shared_ptr<VellError>()>& fn) {
  try {
    return fn();
  } catch (const std::exception& e) {
    auto error = std::make_shared<VellError>("common", __FILE__, __LINE__, "VellError::TryCatch", nullptr);
    error->exceptionType = "std::exception";
    error->exceptionMessage = e.what();
    return error;
  } catch (...) {
    auto error = std::make_shared<VellError>("common", __FILE__, __LINE__, "VellError::TryCatch", nullptr);
    error->exceptionType = "unknown";
    error->exceptionMessage = "Caught an unknown exception.";
    return error;
  }
}

void VellError::Wrap(std::shared_ptr<VellError>& result, const std::shared_ptr<VellError>& inner,
                     const std::string& message, const std::string& fileName,
                     const int& lineNum, const std::string& functionName) {
  if (!inner) {
    result.reset();
    return;
  }
  result = std::make_shared<VellError>(message, fileName, lineNum, functionName, inner);
}

bool VellError::CollectErrorStrings(std::vector<std::string>& out,
                                    std::shared_ptr<VellError> error) {
  out.clear();
  for (auto* record = error.get(); record; record = record->cause.get()) {
    out.push_back(record->GetErrorString());
  }
  return !out.empty();
}

bool VellError::LogErrorChain(std::shared_ptr<VellError> error) {
  std::vector<std::string> lines;
  if (!CollectErrorStrings(lines, std::move(error))) return false;
  std::reverse(lines.begin(), lines.end());
  for (const auto& line : lines) VellLog(2, line);
  return true;
}
