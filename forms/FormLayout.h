#pragma once

#include "results/GeneratedTest.h"

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <vector>

// Where everything lies on a test's optical answer form, in millimetres from
// the page's top-left corner. The one description the form is drawn from and
// read by; layoutJson (forms/FormLayoutJson.h) writes it for anyone else.

// Raised whenever the places of the marks change, so that a form printed
// earlier is read by the layout it was printed with.
inline constexpr int kFormLayoutVersion = 1;
// One side of A4 holds this many questions.
inline constexpr int kMaxFormQuestions = 120;
// "Öğrenci No" digits: a setting, 4 unless chosen otherwise.
inline constexpr int kDefaultNumberDigits = 4;
inline constexpr int kMaxNumberDigits = 10;

struct FormMarker {
    int id = 0;          // the corner marker's code (forms/FormMarks.h)
    double x = 0, y = 0; // top-left corner
    double size = 0;     // side of the square, its black border included
};

struct FormSquare {
    double x = 0, y = 0; // top-left corner
    double size = 0;
};

struct FormBox {
    enum class Kind { Name, Class };
    Kind kind = Kind::Name;
    double x = 0, y = 0, w = 0, h = 0; // top-left corner and size
};

struct FormBubble {
    enum class Kind { Answer, Number, Booklet };
    Kind kind = Kind::Answer;
    int question = 0;           // Answer: the question as printed, 1-based
    QChar option;               // Answer and Booklet: the letter
    int position = 0;           // Number: the digit's place, 1-based from the left
    int digit = 0;              // Number: 0 to 9
    double x = 0, y = 0, r = 0; // centre and radius
};

// A printed text that carries no mark (titles, labels, question numbers):
// drawn only, never read.
struct FormText {
    QString text;
    double x = 0, y = 0, w = 0, h = 0;
    double points = 8;
    bool bold = false;
    enum class Align { Left, Centre, Right };
    Align align = Align::Left;
};

struct FormRect {
    double x = 0, y = 0, w = 0, h = 0;
};

struct FormLayout {
    double width = 210, height = 297; // A4
    std::vector<FormMarker> markers;  // top-left, top-right, bottom-right, bottom-left
    FormSquare qr;                    // the code's modules, its quiet zone kept clear around it
    std::vector<FormBox> boxes;
    std::vector<FormBubble> bubbles;
    std::vector<FormText> texts;
    std::vector<FormRect> frames; // thin frames drawn only: the digit cells of "Öğrenci No"
    // Where a pupil's own form prints the pupil's number.
    FormRect numberField;
    bool personal = false;
};

struct FormOptions {
    int numberDigits = kDefaultNumberDigits;
    // A pupil's own form: the number is printed and carried by the QR code,
    // so it has no number bubbles.
    bool personal = false;
};

// The layout of `test`'s form. Throws AppError with the Turkish reason when
// the test does not fit one side (more than kMaxFormQuestions questions, or
// too many sections to head), has damaged sections, or the number of digits
// is outside 1..kMaxNumberDigits.
FormLayout formLayout(const GeneratedTest& test, const FormOptions& options);
