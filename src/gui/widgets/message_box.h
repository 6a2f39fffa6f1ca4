// Message boxes of the program (caption "Skyvane"), with a seam through which tests answer them
// in advance instead of waiting on a modal window.
#pragma once

#include <QMessageBox>
#include <deque>
#include <string>
#include <vector>

class CMessageBox {
  public:
    // Shows the text modally and returns the button pressed.
    static QMessageBox::StandardButton Show(QWidget* parent, const std::string& text,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    // Tests: the next boxes return these answers in order, without showing anything; each box
    // shown so far is recorded as its text.
    static void AnswerNext(QMessageBox::StandardButton answer);
    static std::vector<std::string>& Shown();
    // Tests: every box answers at once (with its first button when no answer is queued).
    static void SetAnsweredByTests(bool answered);

  private:
    static std::deque<QMessageBox::StandardButton>& Answers();
    static bool& AnsweredByTests();
};
