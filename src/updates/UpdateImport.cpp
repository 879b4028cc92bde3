#include "updates/UpdateImport.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/Gbk.h"
#include "data/GbkTable.h"
#include "data/Transaction.h"
#include "updates/CaseWriter.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

namespace UpdateImport {

namespace {

// The first n GBK characters of text (all of it when shorter).
QByteArray leftChars(const QByteArray &text, int n) {
    qsizetype pos = 0;
    for (int i = 0; i < n && pos < text.size(); ++i)
        pos += Gbk::isLeadByte(static_cast<unsigned char>(text.at(pos))) && pos + 1 < text.size() ? 2 : 1;
    return text.left(pos);
}

} // namespace

bool hasXmlEnding(const QString &fileName) {
    QString tail = fileName.right(3);
    for (QChar &c : tail)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return tail == QLatin1String("xml");
}

std::optional<QString> newestDate(Connection &connection) { return CaseWriter::open(connection)->newestDate(); }

Outcome run(Connection &connection, const QString &filePath, const Progress &progress) {
    const XmlDocument doc = XmlDocument::fromFile(filePath);
    Outcome outcome;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) ++outcome.read;

    // The write lock first: the next id and the newest date are read under it, so two desks
    // importing at once take turns and neither reuses an id or the other's records.
    Transaction transaction(connection);
    const std::unique_ptr<CaseWriter> cases = CaseWriter::open(connection, outcome.read);
    qint64 id = cases->nextId();
    // Dates are text in one fixed-width layout and compare byte by byte; with no date in the
    // table every record is newer.
    const std::optional<QString> before = cases->newestDate();
    const std::optional<QByteArray> newest = before ? std::optional(Gbk::encode(*before)) : std::nullopt;
    if (progress) progress(0, outcome.read);

    // GBK values as the engine stores them: one table serves the whole file.
    GbkTable gbk;
    SuggestEvidence::Counts evidence;
    int done = 0;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) {
        const FieldList fields = SplitFlatRecord(FlattenNode(child));
        const QByteArray code = ScrambleCode(fields.at(0));
        const QByteArray a = withoutApostrophes(fields.at(1));
        const QByteArray b = withoutApostrophes(fields.at(2));
        const QByteArray date = leftChars(fields.at(3), 10);
        if (!newest || *newest < date) {
            const QByteArray name = gbk.toUtf8(a);
            cases->append(id, name, code, gbk.toUtf8(b), gbk.toUtf8(date), gbk.toUtf8(fields.at(4)));
            evidence.addCase(QString::fromUtf8(name), QString::fromLatin1(code));
            ++id;
            ++outcome.imported;
        } else {
            ++outcome.skipped;
        }
        if (progress) progress(++done, outcome.read);
    }

    cases->finish();
    cases->addEvidence(evidence);
    outcome.newestDate = cases->newestDate();
    transaction.commit();
    return outcome;
}

} // namespace UpdateImport
