#include "gui/panes/picture_panes.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "drawing/draw_image.h"
#include "drawing/picture.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/file_dialog.h"
#include "ui_live_picture_settings.h"
#include "ui_picture_slot_row.h"

CPictureSlotRow::CPictureSlotRow(int builtinId, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CPictureSlotRow>()), m_builtinId(builtinId) {
    m_ui->setupUi(this);
    connect(m_ui->path, &QLineEdit::editingFinished, this, [this] {
        ShowPreview();
        emit pathGiven(m_ui->path->text());
    });
    connect(m_ui->browse, &QToolButton::clicked, this, [this] {
        QString path = CFileDialog::GetOpenFileName(this, m_ui->path->text(), QString());
        if (!path.isEmpty()) {
            m_ui->path->setText(path);
            ShowPreview();
            emit pathGiven(path);
        }
    });
    ShowPreview();
}

CPictureSlotRow::~CPictureSlotRow() = default;

void CPictureSlotRow::SetPath(const QString& path) {
    m_ui->path->setText(path);
    ShowPreview();
}

QString CPictureSlotRow::Path() const {
    return m_ui->path->text();
}

void CPictureSlotRow::SetReadOnly(bool readOnly) {
    m_ui->path->setEnabled(!readOnly);
    m_ui->browse->setEnabled(!readOnly);
}

void CPictureSlotRow::ShowPreview() {
    QImage picture = LoadPicture(m_ui->path->text().toStdString(), m_builtinId);
    m_ui->preview->setPixmap(
        QPixmap::fromImage(picture.scaled(46, 46, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

CPictureSlotsPane::CPictureSlotsPane(const std::vector<PictureSlotSpec>& pictureSlots, bool always,
                                     QWidget* parent)
    : CPane(parent), m_slots(pictureSlots), m_always(always) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const PictureSlotSpec& slot : m_slots) {
        auto* group = new QGroupBox(this);
        group->setProperty("textId", slot.groupId);
        auto* inner = new QVBoxLayout(group);
        auto* row = new CPictureSlotRow(slot.builtinId, group);
        for (auto [name, id] : {std::pair{"path", slot.pathId}, std::pair{"browse", slot.browseId},
                                std::pair{"preview", slot.previewId}}) {
            if (id != 0) {
                row->findChild<QWidget*>(name)->setProperty("textId", id);
            }
        }
        inner->addWidget(row);
        layout->addWidget(group);
        m_rows.push_back(row);
        connect(row, &CPictureSlotRow::pathGiven, this, [this, slot](const QString& path) {
            auto* image = dynamic_cast<CDrawImage*>(m_element);
            if (image == nullptr ||
                (!m_always && image->GetImageFile(slot.index) == path.toStdString())) {
                return;
            }
            Edit(slot.groupId, [&] { image->SetImageFile(slot.index, path.toStdString()); });
        });
    }
    layout->addStretch();
    // Captions and help as everywhere: the help only while the setting shows it.
    ApplyCaptions(this);
    for (CPictureSlotRow* row : m_rows) {
        row->ShowPreview();
    }
}

void CPictureSlotsPane::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = element;
    auto* image = dynamic_cast<CDrawImage*>(element);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i]->SetPath(image != nullptr
                               ? QString::fromStdString(image->GetImageFile(m_slots[i].index))
                               : QString());
        m_rows[i]->SetReadOnly(readOnly);
    }
    m_filling = false;
}

CImageSimpleProperties::CImageSimpleProperties(QWidget* parent)
    : CPictureSlotsPane({{0, 1193, 304, 1072, 1071}}, true, parent),
      m_live(std::make_unique<Ui::CLivePictureSettings>()) {
    auto* settings = new QWidget(this);
    m_live->setupUi(settings);
    // Into the picture's group, below its path.
    Row(0)->parentWidget()->layout()->addWidget(settings);
    for (unsigned id : {1296u, 1297u, 1298u}) {
        m_live->fit->addItem(Caption(id));
    }
    ApplyCaptions(settings);
    auto picture = [this] { return dynamic_cast<CDrawImageSimple*>(m_element); };
    connect(m_live->fit, &QComboBox::currentIndexChanged, this, [this, picture](int index) {
        if (CDrawImageSimple* image = picture()) {
            Edit(1295, [&] {
                image->SetFit(static_cast<PictureFit>(index));
                image->Redraw();
            });
        }
    });
    connect(m_live->live, &QCheckBox::toggled, this, [this, picture](bool live) {
        if (CDrawImageSimple* image = picture()) {
            Edit(1290, [&] { image->SetLive(live); });
        }
        EnableLiveSettings(false);
    });
    connect(m_live->maxAge, &QSpinBox::valueChanged, this, [this, picture](int seconds) {
        if (CDrawImageSimple* image = picture()) {
            Edit(1292, [&] { image->SetMaxAge(seconds); });
        }
    });
    connect(m_live->optional, &QCheckBox::toggled, this, [this, picture](bool optional) {
        if (CDrawImageSimple* image = picture()) {
            Edit(1293, [&] { image->SetOptional(optional); });
        }
    });
    connect(m_live->caFile, &QLineEdit::editingFinished, this, [this, picture] {
        CDrawImageSimple* image = picture();
        std::string path = m_live->caFile->text().trimmed().toStdString();
        if (image != nullptr && image->GetCaFile() != path) {
            Edit(1300, [&] { image->SetCaFile(path); });
        }
    });
}

CImageSimpleProperties::~CImageSimpleProperties() = default;

void CImageSimpleProperties::ShowObject(CDrawObj* element, bool readOnly) {
    CPictureSlotsPane::ShowObject(element, readOnly);
    m_filling = true;
    if (auto* image = dynamic_cast<CDrawImageSimple*>(element)) {
        m_live->fit->setCurrentIndex(static_cast<int>(image->GetFit()));
        m_live->live->setChecked(image->IsLive());
        m_live->maxAge->setValue(image->GetMaxAge());
        m_live->optional->setChecked(image->IsOptional());
        m_live->caFile->setText(QString::fromStdString(image->GetCaFile()));
    }
    m_filling = false;
    EnableLiveSettings(readOnly);
}

void CImageSimpleProperties::EnableLiveSettings(bool readOnly) {
    bool live = m_live->live->isChecked() && !readOnly;
    m_live->fit->setEnabled(!readOnly);
    m_live->live->setEnabled(!readOnly);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_live->maxAge, m_live->optional, m_live->caFile}) {
        control->setEnabled(live);
    }
}

CImageWeatherProperties::CImageWeatherProperties(QWidget* parent)
    : CPictureSlotsPane(
          {{2, 1185, 306, 1074, 1075}, {1, 1186, 307, 1076, 1077}, {0, 1187, 305, 1078, 1079}},
          false, parent) {}

CImageWeatherTendencyProperties::CImageWeatherTendencyProperties(QWidget* parent)
    : CPictureSlotsPane({{0, 1178, 301, 1144, 1145, 1143},
                         {1, 1179, 302, 1130, 1133, 1129},
                         {2, 1183, 300, 1132, 1134, 1131}},
                        false, parent) {}

CImageStormWarningProperties::CImageStormWarningProperties(QWidget* parent)
    : CPictureSlotsPane({{0, 1191, 308, 1136, 1137, 1135}}, false, parent) {}
