#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <libxml/tree.h>

// What reading a record does with the apostrophes of its values: the update import's case
// records drop them, as they always have; the feed's records keep them.
enum class Apostrophes { Drop, Keep };

// Reading one record of an XML document: its text values in document order, each preceded by
// a backtick, as one narrow string in code page 936 (GBK). Element names and attributes are
// never looked at; spaces (which would split a field) are deleted from every value, and
// apostrophes unless kept.
QByteArray FlattenNode(const xmlNode *node, Apostrophes apostrophes = Apostrophes::Drop);

// A value with every apostrophe removed, as the case records are stored. 0x27 is never the
// second byte of a GBK character, so bytes can be filtered.
QByteArray withoutApostrophes(QByteArray text);

// The numbered fields of a flattened record. Reading past the end is an error.
class FieldList {
public:
    FieldList() = default;
    explicit FieldList(QList<QByteArray> fields) : fields_(std::move(fields)) {}

    qsizetype count() const { return fields_.size(); }
    // The field as GBK bytes; throws AppError "List index out of bounds (i)" past the end.
    const QByteArray &at(qsizetype index) const;
    // The field decoded from GBK.
    QString text(qsizetype index) const;
    const QList<QByteArray> &fields() const { return fields_; }

private:
    QList<QByteArray> fields_;
};

// Splits a flattened record at its backticks after dropping the leading one. A field that
// starts with a double quote runs to the closing quote (a doubled quote stands for one); runs
// of characters with codes 1 to 32 separate fields too. The scan steps over whole GBK
// characters, so the second byte of a Chinese character is never taken for a backtick.
FieldList SplitFlatRecord(const QByteArray &flat);
