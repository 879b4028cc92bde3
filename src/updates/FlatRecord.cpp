#include "updates/FlatRecord.h"

#include "data/AppError.h"
#include "data/Gbk.h"
#include "data/GbkTable.h"

namespace {

constexpr char kDelimiter = '`';
constexpr char kQuote = '"';

// An element whose only child is a text node. CDATA, entity references and mixed content
// do not count.
bool isTextElement(const xmlNode *node) {
    return node->type == XML_ELEMENT_NODE && node->children && !node->children->next &&
           node->children->type == XML_TEXT_NODE;
}

// Only elements are descended into: an entity reference's children are the entity's own
// declaration, and following them would expand the entity.
bool hasChildren(const xmlNode *node) { return node->type == XML_ELEMENT_NODE && node->children; }

void appendValueOf(const xmlNode *textElement, QByteArray &out, Apostrophes apostrophes) {
    // One table for every value: converting each character anew costs far more.
    static thread_local GbkTable table;
    const auto *content = reinterpret_cast<const char *>(textElement->children->content);
    // Second bytes of GBK characters lie at 0x40 and above, so these bytes are whole characters.
    if (apostrophes == Apostrophes::Drop) table.appendGbk(out, content, [](char c) { return c == '\'' || c == ' '; });
    else table.appendGbk(out, content, [](char c) { return c == ' '; });
}

void flattenInto(const xmlNode *node, QByteArray &out, Apostrophes apostrophes) {
    for (const xmlNode *child = node->children; child; child = child->next) {
        if (isTextElement(child)) {
            out += kDelimiter;
            appendValueOf(child, out, apostrophes);
        } else if (hasChildren(child)) {
            flattenInto(child, out, apostrophes);
        }
    }
}

bool isControlOrSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// A cursor over GBK text that steps one character at a time.
struct Scanner {
    const QByteArray &text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    char current() const { return text.at(pos); }
    qsizetype charLength(qsizetype at) const {
        return Gbk::isLeadByte(static_cast<unsigned char>(text.at(at))) && at + 1 < text.size() ? 2 : 1;
    }
    void step() { pos += charLength(pos); }
    void skipControls() {
        while (!atEnd() && isControlOrSpace(current())) step();
    }
};

// At an opening quote: the text up to the closing quote, doubled quotes collapsed. Without a
// closing quote the field is the rest of the text less its last character, and the scan ends.
QByteArray quotedField(Scanner &s) {
    s.step(); // opening quote
    QByteArray field;
    qsizetype lastCharLength = 0;
    while (!s.atEnd()) {
        if (s.current() == kQuote) {
            if (s.pos + 1 < s.text.size() && s.text.at(s.pos + 1) == kQuote) {
                field += kQuote;
                lastCharLength = 1;
                s.pos += 2;
                continue;
            }
            s.step(); // closing quote
            return field;
        }
        lastCharLength = s.charLength(s.pos);
        field += s.text.mid(s.pos, lastCharLength);
        s.pos += lastCharLength;
    }
    field.chop(lastCharLength);
    return field;
}

QByteArray plainField(Scanner &s) {
    const qsizetype start = s.pos;
    while (!s.atEnd() && s.current() != kDelimiter && !isControlOrSpace(s.current())) s.step();
    return s.text.mid(start, s.pos - start);
}

} // namespace

QByteArray FlattenNode(const xmlNode *node, Apostrophes apostrophes) {
    QByteArray out;
    if (node && hasChildren(node)) {
        out.reserve(256); // a typical record at once, not a few growths of it
        flattenInto(node, out, apostrophes);
    }
    return out;
}

const QByteArray &FieldList::at(qsizetype index) const {
    if (index < 0 || index >= fields_.size()) throw AppError(Messages::listIndex(index));
    return fields_.at(index);
}

QString FieldList::text(qsizetype index) const { return Gbk::decode(at(index)); }

FieldList SplitFlatRecord(const QByteArray &flat) {
    // A zero byte ends the text, as it ends a C string.
    QByteArray text = flat.mid(1);
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0) text.truncate(nul);

    QList<QByteArray> fields;
    Scanner s{text};
    s.skipControls();
    while (!s.atEnd()) {
        fields.append(s.current() == kQuote ? quotedField(s) : plainField(s));
        s.skipControls();
        if (!s.atEnd() && s.current() == kDelimiter) {
            if (s.pos == text.size() - 1) fields.append(QByteArray());
            s.step();
            s.skipControls();
        }
    }
    return FieldList(std::move(fields));
}

QByteArray withoutApostrophes(QByteArray text) {
    text.removeIf([](char c) { return c == '\''; });
    return text;
}
