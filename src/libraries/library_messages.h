// The warnings the library windows share when input cannot be stored or the disk refuses a
// change.
#pragma once

#include <QString>

#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::libraries {

// The name cannot name one folder inside the kind's parent folder.
QString InvalidNameWarning(const Text& name);
// The tag holds a character that code page 936 cannot store.
QString UnsupportedTagCharacterWarning(const QString& character);
// The kind's registry file could not be written for `status`; `consequence` says what did
// not happen.
QString RegistryWriteFailure(LibraryKind kind, const FileStatus& status,
                             const QString& consequence);

}  // namespace wordloom::libraries
