#pragma once
// The source editor's text and the bytes it saves. A file is shown in its own
// encoding (decided as for pages: UTF-8, ISO-8859-15 or Windows-1252), one
// line per line whatever its line ends. The edits are followed as they are
// made, so that saving writes every character the user did not edit as the
// very bytes it was read from (no-break spaces, line ends, bytes 0x80 to
// 0x9F, invalid UTF-8 alike) and encodes only what was typed.

#include "engine/base/TextEncoding.h"

#include <QString>

#include <string>
#include <vector>

class TSourceText {
public:
    // An empty text, saved in Windows-1252 with CR LF line ends.
    TSourceText() = default;
    explicit TSourceText(std::string bytes);

    // The text to show, lines separated by '\n'; a leading byte-order mark
    // is not shown (and is saved again).
    QString ShownText() const;
    qsizetype Length() const { return TotalLength; }
    TTextEncoding Encoding() const { return FileEncoding; }

    // The shown text changed: `removed` characters (UTF-16 units) at
    // `position` were replaced by `added`, in which '\n', U+2029 and U+2028
    // end lines. Out-of-range values are clamped.
    void Replace(qsizetype position, qsizetype removed, QStringView added);

    // The bytes of the text as it is now.
    std::string Bytes() const;

private:
    // A stretch of the text: bytes of the file, or text typed in.
    struct TPiece {
        std::size_t ByteBegin = 0;
        std::size_t ByteEnd = 0;
        QString Typed;
        qsizetype Length = 0;
        bool IsTyped() const { return ByteBegin == ByteEnd; }
    };

    // Makes a piece boundary at the position; returns the index of the piece
    // that starts there (Pieces.size() at the end).
    std::size_t SplitAt(qsizetype position);
    void SplitPiece(std::size_t index, qsizetype offset);
    // Encodes typed text in the file's encoding, with the file's line end.
    void AppendTyped(QStringView typed, std::string& bytes) const;

    std::string Original;
    TTextEncoding FileEncoding = TTextEncoding::Windows1252;
    std::size_t BodyStart = 0; // after the byte-order mark
    std::string LineEnd = "\r\n";
    std::vector<TPiece> Pieces;
    qsizetype TotalLength = 0;
};
