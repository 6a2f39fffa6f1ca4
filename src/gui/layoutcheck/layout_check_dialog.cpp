#include "gui/layoutcheck/layout_check_dialog.h"

#include <QPainter>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "export/image_file.h"
#include "gui/canvas/canvas_view.h"
#include "gui/layoutcheck/preview_bar.h"
#include "gui/widgets/captions.h"
#include "profiles/profile.h"
#include "ui_layout_check_dialog.h"

CLayoutCheckDialog::CLayoutCheckDialog(CCanvasView* canvas, CPreviewBar* preview, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CLayoutCheckDialog>()),
      m_canvas(canvas),
      m_preview(preview) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    setWindowTitle(Caption(kTextCheckLayoutTitle));
    connect(m_ui->findings, &QListWidget::currentRowChanged, this, &CLayoutCheckDialog::Choose);
    connect(m_ui->checkAgain, &QPushButton::clicked, this, &CLayoutCheckDialog::Check);
    connect(m_ui->close, &QPushButton::clicked, this, &QDialog::close);
    Check();
}

CLayoutCheckDialog::~CLayoutCheckDialog() = default;

void CLayoutCheckDialog::Check() {
    m_drawing = m_canvas->Drawing();
    m_findings = m_drawing != nullptr ? CheckLayout(*m_drawing) : std::vector<LayoutFinding>();
    m_ui->findings->clear();
    m_ui->rendering->clear();
    std::string name = m_canvas->Profile() != nullptr ? m_canvas->Profile()->GetName() : "";
    m_ui->summary->setText(QString::fromStdString(
        m_findings.empty()
            ? LangString(kTextNoLayoutProblems)
            : LangString(kTextLayoutProblemCount, {std::to_string(m_findings.size()), name})));
    for (const LayoutFinding& finding : m_findings) {
        const CDrawObj& element = *m_drawing->Elements()[finding.element];
        m_ui->findings->addItem(QString::fromStdString(LangString(
            kTextElementProblem, {DescribeElement(element, finding.isReading ? "" : finding.text),
                                  DescribeProblem(finding)})));
    }
    if (!m_findings.empty()) {
        m_ui->findings->setCurrentRow(0);
    } else if (m_drawing != nullptr) {
        m_ui->rendering->setPixmap(QPixmap::fromImage(Rendering()));
    }
}

QImage CLayoutCheckDialog::Rendering() const {
    return RenderOnImage(*m_drawing, [this](CCanvas& canvas) { m_drawing->Draw(canvas, 0); });
}

void CLayoutCheckDialog::Choose(int row) {
    if (row < 0 || static_cast<size_t>(row) >= m_findings.size()) {
        return;
    }
    // The image on the canvas may have changed since the check: check it again first.
    if (m_canvas->Drawing() != m_drawing || m_drawing == nullptr ||
        m_findings[static_cast<size_t>(row)].element >= m_drawing->Elements().size()) {
        Check();
        return;
    }
    const LayoutFinding& finding = m_findings[static_cast<size_t>(row)];
    CDrawObj* element = m_drawing->Elements()[finding.element].get();
    m_canvas->Select(element);
    m_preview->SetState(finding.state);
    QImage image;
    {
        CScopedPreviewState scope(finding.state);
        image = Rendering();
    }
    QPainter painter(&image);
    painter.setPen(QPen(Qt::red, 2, Qt::DashLine));
    CRect rect = element->GetRect().Normalized();
    painter.drawRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
    painter.end();
    m_ui->rendering->setPixmap(QPixmap::fromImage(image));
}
