#include "gui/panes/element_panes.h"

#include <QStackedWidget>
#include <QVBoxLayout>

#include "base/app_message.h"
#include "drawing/drawing.h"
#include "gui/panes/picture_panes.h"
#include "gui/panes/text_properties.h"
#include "gui/widgets/captions.h"
#include "profiles/profile.h"
#include "ui_background_properties.h"
#include "ui_draw_element_properties.h"

namespace {

constexpr int kLongestName = 29;

}  // namespace

CBackgroundProperties::CBackgroundProperties(QWidget* parent)
    : CPane(parent), m_ui(std::make_unique<Ui::CBackgroundProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    // Typed or by its arrows, within the limits the elements leave; a typed number counts once
    // it is complete (Enter or leaving the field), not at every digit.
    m_ui->width->setKeyboardTracking(false);
    m_ui->height->setKeyboardTracking(false);
    connect(m_ui->name, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_filling || m_profile == nullptr) {
            return;
        }
        m_profile->SetName(text.left(kLongestName).toStdString());
        emit nameChanged(m_profile);
    });
    connect(m_ui->width, &QSpinBox::valueChanged, this,
            [this](int width) { Edit(1085, [&] { m_element->GetOwner()->SetWidth(width); }); });
    connect(m_ui->height, &QSpinBox::valueChanged, this,
            [this](int height) { Edit(1086, [&] { m_element->GetOwner()->SetHeight(height); }); });
    connect(m_ui->jpeg, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Edit(1084, [&] { m_element->GetOwner()->SetImageFormat(3); });
        }
    });
    connect(m_ui->png, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Edit(1083, [&] { m_element->GetOwner()->SetImageFormat(4); });
        }
    });
}

CBackgroundProperties::~CBackgroundProperties() = default;

void CBackgroundProperties::ShowObject(CDrawObj* background, CProfile* profile, bool readOnly) {
    m_filling = true;
    m_element = background;
    m_profile = profile;
    CDrawing* drawing = background != nullptr ? background->GetOwner() : nullptr;
    m_ui->name->setText(profile != nullptr ? QString::fromStdString(profile->GetName())
                                           : QString());
    if (drawing != nullptr) {
        // A larger image from a list written elsewhere shows its real size, not the limit.
        m_ui->width->setRange(drawing->GetMinWidth(), std::max(kMaxImageSide, drawing->GetWidth()));
        m_ui->height->setRange(drawing->GetMinHeight(),
                               std::max(kMaxImageSide, drawing->GetHeight()));
        m_ui->width->setValue(drawing->GetWidth());
        m_ui->height->setValue(drawing->GetHeight());
        m_ui->jpeg->setChecked(drawing->GetImageFormat() == 3);
        m_ui->png->setChecked(drawing->GetImageFormat() == 4);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{m_ui->name, m_ui->width, m_ui->height,
                                                            m_ui->jpeg, m_ui->png}) {
        control->setEnabled(!readOnly);
    }
    m_filling = false;
}

CDrawImageProperties::CDrawImageProperties(QWidget* parent)
    : CPane(parent),
      m_container(new QStackedWidget(this)),
      m_simple(new CImageSimpleProperties),
      m_weather(new CImageWeatherProperties),
      m_tendency(new CImageWeatherTendencyProperties),
      m_storm(new CImageStormWarningProperties) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container);
    for (CPictureSlotsPane* pane :
         std::initializer_list<CPictureSlotsPane*>{m_simple, m_weather, m_tendency, m_storm}) {
        m_container->addWidget(pane);
        Forward(pane);
    }
}

void CDrawImageProperties::ShowObject(CDrawObj* element, bool readOnly) {
    CPictureSlotsPane* pane = m_simple;
    if (dynamic_cast<CDrawImageWeather*>(element) != nullptr) {
        pane = m_weather;
    } else if (dynamic_cast<CDrawImageWeatherTendency*>(element) != nullptr) {
        pane = m_tendency;
    } else if (dynamic_cast<CDrawImageStormWarning*>(element) != nullptr) {
        pane = m_storm;
    }
    pane->ShowObject(element, readOnly);
    m_container->setCurrentWidget(pane);
}

CDrawElementProperties::CDrawElementProperties(QWidget* parent)
    : CPane(parent),
      m_ui(std::make_unique<Ui::CDrawElementProperties>()),
      m_text(new CTextProperties),
      m_image(new CDrawImageProperties),
      m_nothing(new QWidget) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    m_ui->container->addWidget(m_text);
    m_ui->container->addWidget(m_image);
    m_ui->container->addWidget(m_nothing);
    Forward(m_text);
    Forward(m_image);
    // A picture fits the element to its ratio: the typed rectangle shows where it went.
    connect(this, &CPane::changed, this, [this] {
        if (m_element != nullptr) {
            ShowRect();
        }
    });
    connect(m_ui->update, &QPushButton::clicked, this, &CDrawElementProperties::Update);
}

CDrawElementProperties::~CDrawElementProperties() = default;

void CDrawElementProperties::ShowRect() {
    CRect rect = m_element->GetRect();
    m_ui->left->setText(QString::number(rect.left));
    m_ui->top->setText(QString::number(rect.top));
    m_ui->right->setText(QString::number(rect.right));
    m_ui->bottom->setText(QString::number(rect.bottom));
}

void CDrawElementProperties::Update() {
    auto number = [](QLineEdit* edit) { return ReadNumber(edit->text().left(10)); };
    CRect typed{number(m_ui->left), number(m_ui->top), number(m_ui->right), number(m_ui->bottom)};
    Edit(1123, [&] {
        m_element->SetRect(m_element->ConstrainRect(typed, m_ui->resize->isChecked()));
        // The canvas's tracker follows.
        PostAppMessage(m_element->GetOwner()->GetView(), kElementChanged, 0, m_element);
    });
}

void CDrawElementProperties::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = element;
    m_ui->move->setChecked(true);
    if (element != nullptr) {
        ShowRect();
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->move, m_ui->resize, m_ui->left, m_ui->top,
                                         m_ui->right, m_ui->bottom, m_ui->update}) {
        control->setEnabled(!readOnly);
    }
    if (dynamic_cast<CDrawText*>(element) != nullptr) {
        m_text->ShowObject(element, readOnly);
        m_ui->container->setCurrentWidget(m_text);
    } else if (dynamic_cast<CDrawImage*>(element) != nullptr) {
        m_image->ShowObject(element, readOnly);
        m_ui->container->setCurrentWidget(m_image);
    } else {
        m_ui->container->setCurrentWidget(m_nothing);
    }
    m_filling = false;
}
