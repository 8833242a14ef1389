#include "render/v8_exception_impl.h"

#include <QString>
#include <QStringList>
#include <algorithm>

namespace cefcompat {

namespace {

bool IsWordCharacter(QChar c) { return c.isLetterOrNumber() || c == '_' || c == '$'; }

// Where the error's range ends on its line: the end of the word it starts
// at, or the next character (the protocol gives where it starts only).
int RangeEndColumn(const QString& line, int startColumn) {
  int end = startColumn;
  while (end < line.size() && IsWordCharacter(line[end])) ++end;
  return end > startColumn ? end : std::min(startColumn + 1, static_cast<int>(line.size()));
}

}  // namespace

CefRefPtr<V8ExceptionImpl> V8ExceptionImpl::FromDetails(const Json& details, const std::string& source,
                                                        const std::string& resourceName, int firstLine) {
  const int line = details.value("lineNumber", 0);
  const int column = details.value("columnNumber", 0);
  Where where;
  where.resourceName = resourceName;
  where.line = line + firstLine;
  where.startColumn = where.endColumn = column;
  // Positions and columns count UTF-16 units, as the page's strings do.
  const QStringList lines = QString::fromStdString(source).split('\n');
  if (line < 0 || line >= lines.size()) return new V8ExceptionImpl(MessageOf(details), where);
  int lineStart = 0;
  for (int i = 0; i < line; ++i) lineStart += lines[i].size() + 1;
  QString text = lines[line];
  if (text.endsWith('\r')) text.chop(1);
  where.sourceLine = text.toStdString();
  where.endColumn = RangeEndColumn(text, column);
  where.startPosition = lineStart + column;
  where.endPosition = lineStart + where.endColumn;
  return new V8ExceptionImpl(MessageOf(details), where);
}

// As V8 words it: "Uncaught " and what was thrown (an error's name and
// message, a primitive's value, an object's class).
std::string V8ExceptionImpl::MessageOf(const Json& details) {
  const Json thrown = details.value("exception", Json::object());
  const std::string type = thrown.value("type", std::string());
  if (thrown.value("subtype", std::string()) == "error") {
    std::string description = thrown.value("description", std::string());
    const size_t stack = description.find("\n    at ");
    if (stack != std::string::npos) description.resize(stack);
    return "Uncaught " + description;
  }
  if (thrown.contains("value")) {
    const Json& value = thrown["value"];
    return "Uncaught " + (value.is_string() ? value.get<std::string>() : value.dump());
  }
  if (type == "undefined") return "Uncaught undefined";
  if (type == "object") return "Uncaught #<" + thrown.value("className", std::string("Object")) + ">";
  return "Uncaught " + thrown.value("description", details.value("text", std::string()));
}

}  // namespace cefcompat
