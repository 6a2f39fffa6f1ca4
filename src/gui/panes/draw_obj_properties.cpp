#include "gui/panes/draw_obj_properties.h"

#include "drawing/drawing.h"
#include "drawing/painter_canvas.h"
#include "gui/panes/element_panes.h"
#include "gui/widgets/captions.h"
#include "ui_draw_obj_properties.h"

namespace {

constexpr unsigned kBackgroundGroup = 1081;
constexpr unsigned kBorderGroup = 1082;
constexpr unsigned kLineGroup = 1099;
constexpr unsigned kLineWidthGroup = 1095;

}  // namespace

CDrawObjProperties::CDrawObjProperties(QWidget* parent)
    : CPane(parent),
      m_ui(std::make_unique<Ui::CDrawObjProperties>()),
      m_background(new CBackgroundProperties),
      m_elementPane(new CDrawElementProperties),
      m_nothing(new QWidget) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    m_ui->container->addWidget(m_background);
    m_ui->container->addWidget(m_elementPane);
    m_ui->container->addWidget(m_nothing);
    Forward(m_background);
    Forward(m_elementPane);
    for (int width : {0, 1, 2, 3, 5}) {
        m_ui->borderWidth->addItem(QString::number(width));
    }
    connect(m_ui->bkColour, &CColorButton::colourPicked, this,
            [this](Colour colour) { Edit(1032, [&] { m_element->SetBkColor(colour); }); });
    connect(m_ui->borderColour, &CColorButton::colourPicked, this, [this](Colour colour) {
        // "Automatic" stores the button's default colour for a border.
        Edit(1034, [&] {
            m_element->SetBorderColor(colour == kNoColour ? m_ui->borderColour->GetDefaultColour()
                                                          : colour);
        });
    });
    connect(m_ui->borderWidth, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        Edit(1033, [&] { m_element->SetBorderWidth(ReadNumber(text.left(255))); });
    });
    // Empty and read-only until an image is shown: at a first start none ever is.
    ShowObject(nullptr, nullptr, true);
}

CDrawObjProperties::~CDrawObjProperties() = default;

void CDrawObjProperties::ShowObject(CDrawObj* object, CProfile* profile, bool readOnly) {
    m_filling = true;
    m_element = object;
    bool line = dynamic_cast<CDrawLine*>(object) != nullptr;
    m_ui->bkGroup->setTitle(Caption(line ? kLineGroup : kBackgroundGroup));
    m_ui->borderGroup->setTitle(Caption(line ? kLineWidthGroup : kBorderGroup));
    m_ui->borderColourLabel->setVisible(!line);
    m_ui->borderColour->setVisible(!line);
    bool background = object != nullptr && object->GetOwner() != nullptr &&
                      object == object->GetOwner()->GetBackground();
    m_ui->bkColour->SetDefaultColour(background ? kWhite
                                                : fromQColor(palette().color(QPalette::Button)));
    if (object != nullptr) {
        m_ui->bkColour->SetColour(object->GetBkColor());
        m_ui->borderColour->SetColour(object->GetBorderColor());
        m_ui->borderWidth->setCurrentText(QString::number(object->GetBorderWidth()));
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->bkColour, m_ui->borderColour, m_ui->borderWidth}) {
        control->setEnabled(object != nullptr && !readOnly);
    }
    m_filling = false;
    if (object == nullptr) {
        m_ui->container->setCurrentWidget(m_nothing);
    } else if (background) {
        m_background->ShowObject(object, profile, readOnly);
        m_ui->container->setCurrentWidget(m_background);
    } else {
        m_elementPane->ShowObject(object, readOnly);
        m_ui->container->setCurrentWidget(m_elementPane);
    }
}
