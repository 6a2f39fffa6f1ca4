// Open and save file dialogs, with a seam through which tests give the chosen file in advance.
#pragma once

#include <QString>
#include <QWidget>
#include <deque>

class CFileDialog {
  public:
    // The chosen existing file, or "" when cancelled; filter as QFileDialog takes it.
    static QString GetOpenFileName(QWidget* parent, const QString& start, const QString& filter);
    // The chosen file to write (overwriting asked about), or "" when cancelled.
    static QString GetSaveFileName(QWidget* parent, const QString& start, const QString& filter);

    // Tests: the next dialogs return these names in order without showing anything ("" is
    // a cancel).
    static void AnswerNext(const QString& fileName);

  private:
    // The next queued answer; false when none is queued.
    static bool TakeAnswer(QString& answer);
    static std::deque<QString>& Answers();
};
