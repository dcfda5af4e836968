#pragma once

#include "forms/FormLayout.h"
#include "results/GeneratedTest.h"

#include <QByteArray>
#include <QString>

#include <vector>

// A pupil whose own form is printed: the name and number on the form, the
// number in its QR code.
struct FormPupil {
    QString number;
    QString name;
};

// The most pupils' forms one document holds, and the longest name printed.
inline constexpr int kMaxFormPupils = 1000;
inline constexpr int kMaxPupilName = 100;

struct PrintedForms {
    QByteArray pdf;    // the A4 document, one page per form
    FormLayout layout; // where its marks lie, the same on every page
};

// `test`'s optical answer forms: one blank form when `pupils` is empty, else
// one own form per pupil (in the list's order, without number bubbles).
// Throws AppError with the Turkish reason when the test does not fit a form
// (formLayout), when there are more than kMaxFormPupils pupils, or when a
// pupil's number is empty, longer than kMaxPupilNumber or holds anything but
// letters and digits, or the name is longer than kMaxPupilName.
PrintedForms printForms(const GeneratedTest& test, const std::vector<FormPupil>& pupils,
                        int numberDigits = kDefaultNumberDigits);
