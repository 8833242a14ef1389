#pragma once

#include <string>

#include <QMetaType>

// Signals carry std::string (URLs, raw payloads), across threads too; the
// emitting classes register it when they are built.
Q_DECLARE_METATYPE(std::string)
