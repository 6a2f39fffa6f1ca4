#include "gui/widgets/message_box.h"

QMessageBox::StandardButton CMessageBox::Show(QWidget* parent, const std::string& text,
                                              QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons) {
    if (AnsweredByTests()) {
        Shown().push_back(text);
        if (!Answers().empty()) {
            QMessageBox::StandardButton answer = Answers().front();
            Answers().pop_front();
            return answer;
        }
        // The lowest button of the set: Ok, else Yes.
        for (int bit = 0; bit < 32; ++bit) {
            if (buttons & (1u << bit)) {
                return static_cast<QMessageBox::StandardButton>(1u << bit);
            }
        }
        return QMessageBox::NoButton;
    }
    QMessageBox box(icon, "Skyvane", QString::fromStdString(text), buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CMessageBox::AnswerNext(QMessageBox::StandardButton answer) {
    Answers().push_back(answer);
}

std::vector<std::string>& CMessageBox::Shown() {
    static std::vector<std::string> shown;
    return shown;
}

void CMessageBox::SetAnsweredByTests(bool answered) {
    AnsweredByTests() = answered;
}

std::deque<QMessageBox::StandardButton>& CMessageBox::Answers() {
    static std::deque<QMessageBox::StandardButton> answers;
    return answers;
}

bool& CMessageBox::AnsweredByTests() {
    static bool answered = false;
    return answered;
}
