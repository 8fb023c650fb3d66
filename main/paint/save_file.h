// Completing a file written through a temporary file (QSaveFile).
#pragma once

class QSaveFile;

// Flushes the file's buffer, then renames it over its target. QSaveFile::commit alone can rename
// a file whose last buffered bytes never reached the disk (a short write on a full disk passes
// unnoticed there), so the flush is checked first. On any failure the temporary file is dropped,
// the old file stays as it was, and the answer is false.
bool commitSaveFile(QSaveFile &file);
