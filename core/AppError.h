#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error that ends the running command. Its text is what the user is shown,
// word for word (the default error handler only adds a closing full stop).
class AppError : public std::exception {
public:
    explicit AppError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// Ends the running command after the command itself has already told the user
// why (for instance a limit message in a plain box). The default error handler
// shows nothing more for it.
class CommandStopped : public std::exception {
public:
    const char* what() const noexcept override { return "command stopped after its message"; }
};
