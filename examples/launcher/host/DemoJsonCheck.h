#pragma once

#include <initializer_list>

#include <QString>
#include <nlohmann/json.hpp>

// Checks that a JSON object has the fields the launcher reads, and words what
// is wrong for the person editing the file: which file, which entry, which
// field, and what it should be.
class DemoJsonCheck {
 public:
  enum class Kind { String, Integer, Number, Boolean, Array, Object };
  struct Field {
    const char* key;
    Kind kind;
  };

  // `where` names the object, e.g. `games.json: games[2] ("ember")`.
  // Empty when every field is there with its kind, else the first problem.
  static QString Fields(const nlohmann::json& object, const QString& where, std::initializer_list<Field> fields);
  // The same for one value that is not an object's field.
  static QString Value(const nlohmann::json& value, const QString& where, Kind kind);

 private:
  static bool _Is(const nlohmann::json& value, Kind kind);
  static QString _Name(Kind kind);
  static QString _NameOf(const nlohmann::json& value);
};
