#pragma once

#include <QString>

#include <optional>

// The text of a form's QR code: which test the form belongs to, by which
// layout version its marks lie, and on a pupil's own form the pupil's number:
//   DVF;<layout version>;<test identity>[;<pupil number>]
// for example "DVF;1;0123456789abcdef0123456789abcdef;1234". Short, so that
// the code stays small and reads from a phone photo.
struct FormCode {
    int layoutVersion = 0;
    QString identity;
    QString pupilNumber; // empty on a form that has number bubbles
};

// The longest pupil number a form carries.
inline constexpr int kMaxPupilNumber = 20;

QString formCodeText(const FormCode& code);

// The code read back, or nothing when the text is not a form's code.
std::optional<FormCode> parseFormCode(const QString& text);
