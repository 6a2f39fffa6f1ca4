#include "gui/widgets/captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>

#include "base/lang_string.h"
#include "base/settings.h"

QString Caption(unsigned id) {
    return QString::fromStdString(CaptionText(LangString(id)));
}

QString HelpOf(unsigned id) {
    return QString::fromStdString(HelpText(LangString(id)));
}

QString WrappedTooltip(const QString& text) {
    constexpr int kLineLength = 60;
    QStringList lines;
    for (const QString& paragraph : text.split('\n')) {
        QString line;
        for (const QString& word : paragraph.split(' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > kLineLength) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? "" : " ") + word;
        }
        lines << line;
    }
    // Rich text that is not wrapped again: Qt keeps exactly these lines, whatever the text holds.
    for (QString& line : lines) {
        line = line.toHtmlEscaped();
    }
    return "<p style='white-space:pre'>" + lines.join("<br>") + "</p>";
}

void ApplyCaptions(QWidget* window) {
    bool tooltips = CSettings::Instance().GetShowTooltipHelp() != 0;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        QVariant id = widget->property("textId");
        if (!id.isValid()) {
            continue;
        }
        auto textId = id.toUInt();
        QString caption = Caption(textId);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(caption);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(caption);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(caption);
        }
        QString help = HelpOf(textId);
        widget->setToolTip(tooltips && !help.isEmpty() ? WrappedTooltip(help) : QString());
    }
}
