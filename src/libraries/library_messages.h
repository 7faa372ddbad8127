// The message boxes of the library windows, and the warnings they share when input cannot
// be stored or the disk refuses a change.
#pragma once

#include <QString>

#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::libraries {

void Warn(const QString& text);         // OK with a warning icon, title "警告"
void Inform(const QString& text);       // OK, title "提示"
bool Confirm(const QString& question);  // OK and Cancel, title "警告"; true for OK

// The name cannot name one folder inside the kind's parent folder.
QString InvalidNameWarning(const Text& name);
// The tag holds a character that code page 936 cannot store.
QString UnsupportedTagCharacterWarning(const QString& character);
// The kind's registry file could not be written; `consequence` says what did not happen.
QString RegistryWriteFailure(LibraryKind kind, const QString& consequence);

}  // namespace wordloom::libraries
