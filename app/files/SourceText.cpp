#include "app/files/SourceText.h"

#include <algorithm>

namespace {

// The file is cut into pieces of about this many bytes when it is read, so
// that an edit walks one piece, not the whole file.
constexpr std::size_t kPieceBytes = 64 * 1024;

// One shown character: the bytes it was read from and the UTF-16 units it
// shows as. CR LF, LF and CR each show as one line end.
struct TStep {
    std::size_t Bytes;
    qsizetype Units;
    char32_t Character;
};

TStep StepAt(std::string_view bytes, TTextEncoding encoding)
{
    if (bytes[0] == '\r')
        return {bytes.size() > 1 && bytes[1] == '\n' ? 2u : 1u, 1, U'\n'};
    if (bytes[0] == '\n')
        return {1, 1, U'\n'};
    const TDecodedCharacter decoded = DecodeCharacter(bytes, encoding);
    return {decoded.Length, decoded.Character > 0xFFFF ? 2 : 1, decoded.Character};
}

void AppendShown(char32_t character, QString& text)
{
    if (character > 0xFFFF) {
        text += QChar(QChar::highSurrogate(character));
        text += QChar(QChar::lowSurrogate(character));
    } else {
        text += QChar(static_cast<char16_t>(character));
    }
}

// The line end a file uses first; CR LF for a file without one.
std::string FirstLineEnd(std::string_view bytes)
{
    const std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string_view::npos)
        return "\r\n";
    if (bytes[end] == '\r')
        return end + 1 < bytes.size() && bytes[end + 1] == '\n' ? "\r\n" : "\r";
    return "\n";
}

bool IsLineEnd(char16_t unit)
{
    return unit == u'\n' || unit == u'\r' || unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator;
}

} // namespace

TSourceText::TSourceText(std::string bytes)
    : Original(std::move(bytes)), FileEncoding(DetectEncoding(Original)), LineEnd(FirstLineEnd(Original))
{
    if (FileEncoding == TTextEncoding::Utf8 && std::string_view(Original).starts_with(kUtf8ByteOrderMark))
        BodyStart = kUtf8ByteOrderMark.size();
    TPiece piece{BodyStart, BodyStart, {}, 0};
    for (std::size_t index = BodyStart; index < Original.size();) {
        const TStep step = StepAt(std::string_view(Original).substr(index), FileEncoding);
        index += step.Bytes;
        piece.ByteEnd = index;
        piece.Length += step.Units;
        if (piece.ByteEnd - piece.ByteBegin >= kPieceBytes || index == Original.size()) {
            TotalLength += piece.Length;
            Pieces.push_back(piece);
            piece = {index, index, {}, 0};
        }
    }
}

QString TSourceText::ShownText() const
{
    QString text;
    text.reserve(TotalLength);
    for (const TPiece& piece : Pieces) {
        if (piece.IsTyped()) {
            text += piece.Typed;
            continue;
        }
        for (std::size_t index = piece.ByteBegin; index < piece.ByteEnd;) {
            const TStep step =
                StepAt(std::string_view(Original).substr(index, piece.ByteEnd - index), FileEncoding);
            AppendShown(step.Character, text);
            index += step.Bytes;
        }
    }
    return text;
}

void TSourceText::Replace(qsizetype position, qsizetype removed, QStringView added)
{
    position = std::clamp<qsizetype>(position, 0, TotalLength);
    removed = std::clamp<qsizetype>(removed, 0, TotalLength - position);
    const std::size_t first = SplitAt(position);
    const std::size_t last = SplitAt(position + removed);
    Pieces.erase(Pieces.begin() + static_cast<std::ptrdiff_t>(first), Pieces.begin() + static_cast<std::ptrdiff_t>(last));
    TotalLength -= removed;
    if (added.isEmpty())
        return;
    TotalLength += added.size();
    // Typing a word adds to one piece, not one piece per key.
    if (first > 0 && Pieces[first - 1].IsTyped()) {
        Pieces[first - 1].Typed += added;
        Pieces[first - 1].Length += added.size();
        return;
    }
    TPiece typed;
    typed.Typed = added.toString();
    typed.Length = added.size();
    Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(first), std::move(typed));
}

std::size_t TSourceText::SplitAt(qsizetype position)
{
    for (;;) {
        qsizetype start = 0;
        std::size_t index = 0;
        while (index < Pieces.size() && start + Pieces[index].Length <= position)
            start += Pieces[index++].Length;
        if (index == Pieces.size() || start == position)
            return index;
        SplitPiece(index, position - start);
    }
}

// Cuts the piece `offset` units from its start. A character read as two
// units (outside the Basic Multilingual Plane) that the cut falls in is
// made typed text first, and cut on the next round.
void TSourceText::SplitPiece(std::size_t index, qsizetype offset)
{
    TPiece& piece = Pieces[index];
    if (piece.IsTyped()) {
        TPiece right;
        right.Typed = piece.Typed.mid(offset);
        right.Length = right.Typed.size();
        piece.Typed.truncate(offset);
        piece.Length = offset;
        Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(right));
        return;
    }
    std::size_t byte = piece.ByteBegin;
    qsizetype units = 0;
    TStep step{};
    for (;;) {
        step = StepAt(std::string_view(Original).substr(byte, piece.ByteEnd - byte), FileEncoding);
        if (units + step.Units > offset)
            break;
        byte += step.Bytes;
        units += step.Units;
        if (units == offset) {
            TPiece right{byte, piece.ByteEnd, {}, piece.Length - offset};
            piece.ByteEnd = byte;
            piece.Length = offset;
            Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(index) + 1, right);
            return;
        }
    }
    std::vector<TPiece> parts;
    if (byte > piece.ByteBegin)
        parts.push_back({piece.ByteBegin, byte, {}, units});
    TPiece typed;
    AppendShown(step.Character, typed.Typed);
    typed.Length = step.Units;
    parts.push_back(typed);
    if (byte + step.Bytes < piece.ByteEnd)
        parts.push_back({byte + step.Bytes, piece.ByteEnd, {}, piece.Length - units - step.Units});
    Pieces.erase(Pieces.begin() + static_cast<std::ptrdiff_t>(index));
    Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(index), parts.begin(), parts.end());
}

// Typed pieces that follow each other are encoded as one text, so that a
// character cut in two by an edit and made whole by the next one is written
// whole.
std::string TSourceText::Bytes() const
{
    std::string bytes = Original.substr(0, BodyStart);
    bytes.reserve(Original.size());
    QString typed;
    for (const TPiece& piece : Pieces) {
        if (piece.IsTyped()) {
            typed += piece.Typed;
            continue;
        }
        AppendTyped(typed, bytes);
        typed.clear();
        bytes.append(Original, piece.ByteBegin, piece.ByteEnd - piece.ByteBegin);
    }
    AppendTyped(typed, bytes);
    return bytes;
}

void TSourceText::AppendTyped(QStringView typed, std::string& bytes) const
{
    for (qsizetype index = 0; index < typed.size(); ++index) {
        const char16_t unit = typed[index].unicode();
        if (IsLineEnd(unit)) {
            bytes += LineEnd;
        } else if (QChar::isHighSurrogate(unit) && index + 1 < typed.size()
                   && QChar::isLowSurrogate(typed[index + 1].unicode())) {
            AppendEncoded(QChar::surrogateToUcs4(unit, typed[index + 1].unicode()), FileEncoding, bytes);
            ++index;
        } else {
            AppendEncoded(unit, FileEncoding, bytes);
        }
    }
}
