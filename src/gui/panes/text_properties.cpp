#include "gui/panes/text_properties.h"

#include <QAbstractItemView>

#include "base/lang_string.h"
#include "drawing/draw_text_data.h"
#include "drawing/draw_text_state.h"
#include "gui/panes/text_kind_panes.h"
#include "gui/widgets/captions.h"
#include "ui_text_properties.h"

namespace {

constexpr unsigned kHorizontalNames = 138;
constexpr unsigned kVerticalNames = 139;

CDrawText* textOf(CDrawObj* element) {
    return dynamic_cast<CDrawText*>(element);
}

}  // namespace

CTextProperties::CTextProperties(QWidget* parent)
    : CPane(parent),
      m_ui(std::make_unique<Ui::CTextProperties>()),
      m_simple(new CTextSimpleProperties),
      m_data(new CTextDataProperties),
      m_weather(new CTextWeatherProperties),
      m_tendency(new CTextTendencyProperties),
      m_storm(new CTextStormwarningProperties) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    for (CPane* pane :
         std::initializer_list<CPane*>{m_simple, m_data, m_weather, m_tendency, m_storm}) {
        m_ui->container->addWidget(pane);
        Forward(pane);
    }
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28}) {
        m_ui->size->addItem(QString::number(size));
    }
    m_ui->horizontal->addItems(QString::fromStdString(LangString(kHorizontalNames)).split(';'));
    m_ui->vertical->addItems(QString::fromStdString(LangString(kVerticalNames)).split(';'));
    // Each face shown in its own face; the list wide enough for long names.
    m_ui->font->view()->setMinimumWidth(300);
    m_ui->font->setMaxVisibleItems(20);

    connect(m_ui->font, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
        Edit(1029, [&] { textOf(m_element)->SetFontName(font.family().toStdString()); });
    });
    // A number picked from the list or typed: both land in the edit text.
    connect(m_ui->size, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        Edit(1153, [&] { textOf(m_element)->SetFontSize(ReadNumber(text.left(255))); });
    });
    connect(m_ui->bold, &QToolButton::toggled, this,
            [this](bool on) { Edit(1048, [&] { textOf(m_element)->SetFontBold(on); }); });
    connect(m_ui->italic, &QToolButton::toggled, this,
            [this](bool on) { Edit(1049, [&] { textOf(m_element)->SetFontItalic(on); }); });
    connect(m_ui->underline, &QToolButton::toggled, this,
            [this](bool on) { Edit(1050, [&] { textOf(m_element)->SetFontUnderline(on); }); });
    connect(m_ui->textColour, &CColorButton::colourPicked, this, [this](Colour colour) {
        // "Automatic" is black for texts.
        Edit(1030, [&] { textOf(m_element)->SetTextColor(colour == kNoColour ? kBlack : colour); });
    });
    connect(m_ui->horizontal, &QComboBox::activated, this, [this](int index) {
        Edit(1151, [&] { textOf(m_element)->SetHorizontalAlignment(index); });
    });
    connect(m_ui->vertical, &QComboBox::activated, this, [this](int index) {
        Edit(1152, [&] { textOf(m_element)->SetVerticalAlignment(index); });
    });
    connect(m_ui->padding, &QLineEdit::textEdited, this, [this](const QString& text) {
        Edit(1155, [&] { textOf(m_element)->SetPadding(ReadNumber(text.left(30))); });
    });
}

CTextProperties::~CTextProperties() = default;

void CTextProperties::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = element;
    CDrawText* text = textOf(element);
    if (text != nullptr) {
        m_ui->font->setCurrentFont(QFont(QString::fromStdString(text->GetFontName())));
        m_ui->size->setCurrentText(QString::number(text->GetFontSize()));
        m_ui->bold->setChecked(text->GetFontBold());
        m_ui->italic->setChecked(text->GetFontItalic());
        m_ui->underline->setChecked(text->GetFontUnderline());
        m_ui->textColour->SetColour(text->GetTextColor());
        m_ui->horizontal->setCurrentIndex(text->GetHorizontalAlignment());
        m_ui->vertical->setCurrentIndex(text->GetVerticalAlignment());
        m_ui->padding->setText(QString::number(text->GetPadding()));
    }
    m_ui->textColour->SetDefaultColour(kBlack);
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->font, m_ui->size, m_ui->bold, m_ui->italic, m_ui->underline, m_ui->textColour,
             m_ui->horizontal, m_ui->vertical, m_ui->padding}) {
        control->setEnabled(!readOnly);
    }
    m_simple->ShowObject(element, readOnly);
    m_data->ShowObject(element, readOnly);
    m_weather->ShowObject(element, readOnly);
    m_tendency->ShowObject(element, readOnly);
    m_storm->ShowObject(element, readOnly);
    if (dynamic_cast<CDrawTextData*>(element) != nullptr) {
        m_ui->container->setCurrentWidget(m_data);
    } else if (dynamic_cast<CDrawTextWeather*>(element) != nullptr) {
        m_ui->container->setCurrentWidget(m_weather);
    } else if (dynamic_cast<CDrawTextTendency*>(element) != nullptr) {
        m_ui->container->setCurrentWidget(m_tendency);
    } else if (dynamic_cast<CDrawTextStormWarning*>(element) != nullptr) {
        m_ui->container->setCurrentWidget(m_storm);
    } else {
        m_ui->container->setCurrentWidget(m_simple);
    }
    m_filling = false;
}
