#pragma once
#include <QString>
#include <stdexcept>

// A failure carrying the message text the user sees. Guarded blocks catch it and show the text.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};

// The runtime-library style messages, made in one place so every site words them alike.
namespace Messages {
inline QString conversion(const QString &from, const QString &to) {
    return QStringLiteral("Could not convert variant of type (%1) into type (%2)").arg(from, to);
}
inline QString listIndex(qsizetype index) { return QStringLiteral("List index out of bounds (%1)").arg(index); }
inline QString fieldNotFound(const QString &queryName, const QString &field) {
    return QStringLiteral("%1: Field '%2' not found").arg(queryName, field);
}
inline QString typeMismatch(const QString &field, const QString &expected, const QString &actual) {
    return QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3").arg(field, expected, actual);
}
inline QString cannotOpenFile(const QString &path, const QString &reason) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}
// The default error report appends a full stop when the text does not end in one or in a
// character that sorts before it.
inline QString withFullStop(const QString &text) {
    if (text.isEmpty() || text.back().unicode() <= u'.') return text;
    return text + u'.';
}
} // namespace Messages
