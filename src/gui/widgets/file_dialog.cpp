#include "gui/widgets/file_dialog.h"

#include <QFileDialog>

QString CFileDialog::GetOpenFileName(QWidget* parent, const QString& start, const QString& filter) {
    if (!Answers().empty()) {
        QString answer = Answers().front();
        Answers().pop_front();
        return answer;
    }
    // Without a caption of its own the dialog says "Open", in the program's language.
    return QFileDialog::getOpenFileName(parent, QString(), start, filter);
}

QString CFileDialog::GetSaveFileName(QWidget* parent, const QString& start, const QString& filter) {
    if (!Answers().empty()) {
        QString answer = Answers().front();
        Answers().pop_front();
        return answer;
    }
    return QFileDialog::getSaveFileName(parent, QString(), start, filter);
}

void CFileDialog::AnswerNext(const QString& fileName) {
    Answers().push_back(fileName);
}

std::deque<QString>& CFileDialog::Answers() {
    static std::deque<QString> answers;
    return answers;
}
