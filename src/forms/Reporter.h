#pragma once

#include <QString>

namespace forms {

// Tells the player about a problem the game worked around (a bad settings file, a save
// that failed). The message is Japanese and is also printed on stderr.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void problem(const QString& message) = 0;
};

// A message box that does not block the game, plus the same line on stderr.
class MessageBoxReporter final : public Reporter {
public:
    void problem(const QString& message) override;
};

// One line on stderr: for problems that need no dialog (a missing sound or picture).
void warn(const QString& message);

} // namespace forms
