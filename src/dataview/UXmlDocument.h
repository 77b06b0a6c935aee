#pragma once

#include "base/UException.h"
#include "dataview/UValueText.h"
#include "platform/dac/UFieldType.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// The icons of the XML editor's trees, by node kind.
enum class TXmlIcon {
    Attribute = 0,
    Element = 1,
    Comment = 2,
    CData = 3,
    Text = 4,
    Declaration = 5,
    Stylesheet = 6,
    DocType = 7,
    ElementDecl = 8,
    AttListDecl = 9,
    EntityDecl = 10,
    NotationDecl = 11,
    Exclamation = 12,
    Other = 13,
};

// A value that is not well-formed XML.
class EXmlParseError : public Exception {
public:
    using Exception::Exception;
};

// An XML document read from a field's value and written back in the value's
// own encoding. Nodes keep their order and their blanks; the text is written
// as read, with no indentation added. A value whose bytes do not survive
// decoding and encoding again opens read-only.
class TXmlDocument {
public:
    // Reads the value: for a character field its text, for a binary one its
    // bytes (a byte-order mark, else the declaration, else UTF-8). Raises
    // EXmlParseError for malformed XML; the document is then empty.
    void Load(const QByteArray& bytes, TFieldType fieldType);
    void Clear();
    // The whole document in the value's encoding. Characters the encoding
    // lacks become character references.
    QByteArray Save() const;
    // One node as text.
    static QString NodeSource(pugi::xml_node node);

    bool ReadOnly() const { return FReadOnly; }
    // The name of the encoding the value is written in.
    const QString& EncodingName() const { return FEncodingName; }
    pugi::xml_node Root() const { return FDoc; }
    pugi::xml_node RootElement() const { return FDoc.document_element(); }

    // Whether a text can be stored in the value's encoding as a name, comment
    // or instruction (no character references there).
    bool CanWriteLiterally(const QString& text) const;

    static TXmlIcon IconOf(pugi::xml_node node);
    // "bookTitle" -> "Booktitle": ASCII letters in lower case, a lower-case
    // first letter in upper case.
    static QString ReadableName(const QString& name);
    static bool IsXmlName(const QString& name);
    // Characters XML cannot hold at all.
    static bool HasForbiddenChars(const QString& text);

private:
    void KeepBlanksAfterDeclaration(const QByteArray& utf8);
    QString Serialize() const;
    QByteArray EncodeDocument(const QString& xml) const;
    bool CanEncode(char32_t c) const;

    pugi::xml_document FDoc;
    bool FReadOnly = false;
    // Binary values: the codec and the mark; character fields: their text rules.
    QString FEncodingName = QStringLiteral("UTF-8");
    QByteArray FBom;
    std::optional<TValueText> FFieldText;
};
