#pragma once
#include <QString>
#include <functional>
#include <optional>

class Connection;

// The update import: appends the records of a downloaded update file that are newer than the
// newest update date in case_hs, with fresh ids and scrambled codes. All or nothing: it runs in
// one write transaction, so a failure part-way leaves the table as it was (a second run would
// otherwise skip every record older than those already in and lose them).
//
// Failures throw AppError with the text the user sees: the parser's message for a file that
// cannot be read, "List index out of bounds (n)" for a short record, the engine's message for a
// statement the table does not fit.
namespace UpdateImport {

struct Outcome {
    int read = 0; // records in the file
    int imported = 0; // rows inserted
    int skipped = 0; // records not newer than the newest date before the import
    // max(update_date) after the import; none while the table has no update date.
    std::optional<QString> newestDate;
};

// Called with the records handled so far and the file's total: once with 0 before the first
// record, then after every record. Cheap callers only; a window repaints by time, not per call.
using Progress = std::function<void(int done, int total)>;

// The type test of a chosen file: its last three characters, A-Z folded to lower case, read
// "xml"; no dot is required before them.
bool hasXmlEnding(const QString &fileName);

// max(update_date) of case_hs, as text; none when the table has no update date.
std::optional<QString> newestDate(Connection &connection);

Outcome run(Connection &connection, const QString &filePath, const Progress &progress = {});

} // namespace UpdateImport
