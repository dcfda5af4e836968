#pragma once

class QApplication;

// What the application needs before its window is made: fonts asked for by
// name mapped to metric-compatible free fonts, and Qt's own Turkish texts.
void prepareApplication(QApplication& app);
