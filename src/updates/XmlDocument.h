#pragma once
#include <QByteArray>
#include <QString>
#include <libxml/tree.h>
#include <memory>

// A parsed XML document: the update file and the vendor feeds. Documents are read with one set
// of rules: whitespace-only text nodes are dropped, nothing outside the given bytes is fetched
// (no network, no external DTD, no external entities), nothing is validated and entity
// references are kept as references, never expanded. The declared encoding is honoured.
//
// A document that cannot be read or is not well-formed throws AppError with the parser's
// reason, then "\nLine: N", then a new line with the first 40 characters of that source line.
class XmlDocument {
public:
    static XmlDocument fromFile(const QString &path);
    // sourceName names the bytes in messages and serves as the base address; it is never opened.
    static XmlDocument fromBytes(const QByteArray &bytes, const QString &sourceName = QString());

    // The root element; never null for a loaded document.
    xmlNode *root() const;

private:
    struct FreeDoc {
        void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
    };
    explicit XmlDocument(xmlDoc *doc) : doc_(doc) {}
    std::unique_ptr<xmlDoc, FreeDoc> doc_;
};
