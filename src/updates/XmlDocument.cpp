#include "updates/XmlDocument.h"

#include "data/AppError.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <limits>

namespace {

struct FreeContext {
    void operator()(xmlParserCtxt *ctxt) const { xmlFreeParserCtxt(ctxt); }
};
using ContextPtr = std::unique_ptr<xmlParserCtxt, FreeContext>;

// No network, no DTD loading or validation, no entity substitution (XML_PARSE_NOENT is left
// out on purpose), CDATA kept as its own node kind; errors are collected, not printed.
constexpr int kParseOptions = XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

// The parser goes on after its first error and reports what follows from it; the first error
// is the one that names the fault. Collecting it here also keeps libxml2 from printing.
struct FirstError {
    xmlError error{};
    bool set = false;
    ~FirstError() { xmlResetError(&error); }
};

void collectError(void *userData, xmlErrorPtr error) {
    auto *ctxt = static_cast<xmlParserCtxtPtr>(userData);
    auto *first = static_cast<FirstError *>(ctxt->_private);
    if (!first || first->set || !error || error->level < XML_ERR_ERROR) return;
    if (xmlCopyError(error, &first->error) == 0) first->set = true;
}

// Refuses every external resource while a document is parsed: a second line of defence behind
// the options above, which already keep the parser from asking.
xmlParserInputPtr refuseExternal(const char *, const char *, xmlParserCtxtPtr) { return nullptr; }

class ExternalLoaderGuard {
public:
    ExternalLoaderGuard() : previous_(xmlGetExternalEntityLoader()) { xmlSetExternalEntityLoader(refuseExternal); }
    ~ExternalLoaderGuard() { xmlSetExternalEntityLoader(previous_); }

private:
    xmlExternalEntityLoader previous_;
};

// XML_PARSE_NOBLANKS keeps whitespace where the parser cannot tell it is ignorable (an element
// holding only whitespace, whitespace beside a comment). Whitespace-only text is never a value
// here, so every such node goes.
void dropBlankText(xmlNode *node) {
    for (xmlNode *child = node->children; child;) {
        xmlNode *next = child->next;
        if (child->type == XML_TEXT_NODE && xmlIsBlankNode(child)) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else if (child->type == XML_ELEMENT_NODE) {
            dropBlankText(child);
        }
        child = next;
    }
}

// The source text decoded as the document declares it, for quoting the line of an error.
QString decodeForQuote(const QByteArray &bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        return dec.decode(bytes);
    }
    static const QRegularExpression declared(
        QStringLiteral(R"(^<\?xml[^>]*encoding\s*=\s*["']([A-Za-z0-9._\-]+)["'])"));
    const auto m = declared.match(QString::fromLatin1(bytes.left(200)));
    if (m.hasMatch()) {
        QStringDecoder dec(m.captured(1).toLatin1().constData());
        if (dec.isValid()) return dec.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

[[noreturn]] void failWith(const xmlError *error, const QByteArray &bytes) {
    QString reason =
        error && error->message ? QString::fromUtf8(error->message).trimmed() : QStringLiteral("无法解析该文档。");
    const int line = error ? error->line : 0;
    QString quoted;
    if (line > 0) {
        const QStringList lines = decodeForQuote(bytes).split(u'\n');
        if (line <= lines.size()) {
            quoted = lines.at(line - 1);
            if (quoted.endsWith(u'\r')) quoted.chop(1);
            quoted = quoted.left(40);
        }
    }
    throw AppError(QStringLiteral("%1\nLine: %2\n%3").arg(reason).arg(line).arg(quoted));
}

} // namespace

XmlDocument XmlDocument::fromFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("%1\nLine: 0\n").arg(Messages::cannotOpenFile(path, file.errorString())));
    return fromBytes(file.readAll(), path);
}

XmlDocument XmlDocument::fromBytes(const QByteArray &bytes, const QString &sourceName) {
    if (bytes.size() > std::numeric_limits<int>::max())
        throw AppError(QStringLiteral("%1: the document is too large.\nLine: 0\n").arg(sourceName));
    xmlInitParser();
    ContextPtr ctxt(xmlNewParserCtxt());
    if (!ctxt) throw AppError(QStringLiteral("创建 XML 解析器时内存不足。"));
    FirstError firstError;
    ctxt->_private = &firstError;
    ctxt->sax->serror = collectError;
    ExternalLoaderGuard guard;
    const QByteArray url = sourceName.toUtf8();
    xmlDoc *doc = xmlCtxtReadMemory(ctxt.get(), bytes.constData(), int(bytes.size()),
                                    url.isEmpty() ? nullptr : url.constData(), nullptr, kParseOptions);
    // A recovered document is still a broken one: any error fails the load.
    if (!doc || !ctxt->wellFormed) {
        if (doc) xmlFreeDoc(doc);
        failWith(firstError.set ? &firstError.error : xmlCtxtGetLastError(ctxt.get()), bytes);
    }
    XmlDocument result(doc);
    if (!result.root()) failWith(nullptr, bytes);
    dropBlankText(result.root());
    return result;
}

xmlNode *XmlDocument::root() const { return xmlDocGetRootElement(doc_.get()); }
