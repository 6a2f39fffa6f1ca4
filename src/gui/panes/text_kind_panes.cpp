#include "gui/panes/text_kind_panes.h"

#include "drawing/draw_text_data.h"
#include "drawing/draw_text_state.h"
#include "gui/widgets/captions.h"
#include "ui_text_data_properties.h"
#include "ui_text_simple_properties.h"
#include "ui_text_stormwarning_properties.h"
#include "ui_text_tendency_properties.h"
#include "ui_text_weather_properties.h"
#include "weather/weather_data.h"

namespace {

// State texts are kept up to 32,766 characters.
constexpr int kLongestStateText = 32766;

}  // namespace

CTextSimpleProperties::CTextSimpleProperties(QWidget* parent)
    : CPane(parent), m_ui(std::make_unique<Ui::CTextSimpleProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    connect(m_ui->text, &QLineEdit::textEdited, this, [this](const QString& text) {
        Edit(1057, [&] { static_cast<CDrawText*>(m_element)->SetText(text.toStdString()); });
    });
}

CTextSimpleProperties::~CTextSimpleProperties() = default;

void CTextSimpleProperties::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = element;
    auto* text = dynamic_cast<CDrawText*>(element);
    m_ui->text->setText(text != nullptr ? QString::fromStdString(text->GetText()) : QString());
    m_ui->text->setEnabled(!readOnly);
    m_filling = false;
}

CTextDataProperties::CTextDataProperties(QWidget* parent)
    : CPane(parent), m_ui(std::make_unique<Ui::CTextDataProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    int types = CWeatherData::GetDataTypeInfo(WeatherDataType::Date, 0).typeCount;
    for (int type = 0; type < types; ++type) {
        m_ui->type->addItem(
            QString::fromStdString(
                CWeatherData::GetDataTypeInfo(static_cast<WeatherDataType>(type), 0).typeName),
            type);
    }
    connect(m_ui->type, &QComboBox::activated, this, [this](int index) {
        Edit(1028, [&] {
            static_cast<CDrawTextData*>(m_element)->SetDataType(
                m_ui->type->itemData(index).toInt());
        });
        FillFormats();
    });
    connect(m_ui->format, &QComboBox::activated, this, [this](int index) {
        Edit(1052, [&] {
            static_cast<CDrawTextData*>(m_element)->SetFormat(
                m_ui->format->itemData(index).toInt());
        });
    });
}

CTextDataProperties::~CTextDataProperties() = default;

void CTextDataProperties::FillFormats() {
    auto* data = dynamic_cast<CDrawTextData*>(m_element);
    bool filling = m_filling;
    m_filling = true;
    m_ui->format->clear();
    if (data != nullptr) {
        auto type = static_cast<WeatherDataType>(data->GetDataType());
        int formats = CWeatherData::GetDataTypeInfo(type, 0).formatCount;
        for (int format = 0; format < formats; ++format) {
            m_ui->format->addItem(
                QString::fromStdString(CWeatherData::Instance().FormatValue(type, format)), format);
        }
        m_ui->format->setCurrentIndex(m_ui->format->findData(data->GetFormat()));
    }
    m_filling = filling;
}

void CTextDataProperties::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = element;
    auto* data = dynamic_cast<CDrawTextData*>(element);
    m_ui->type->setCurrentIndex(data != nullptr ? m_ui->type->findData(data->GetDataType()) : -1);
    FillFormats();
    m_ui->type->setEnabled(!readOnly);
    m_ui->format->setEnabled(!readOnly);
    m_filling = false;
}

void CStateTextsPane::Bind(QLineEdit* edit, int index, int field) {
    edit->setMaxLength(kLongestStateText);
    m_edits.emplace_back(edit, index);
    connect(edit, &QLineEdit::textEdited, this, [this, index, field](const QString& text) {
        Edit(field, [&] {
            auto* state = dynamic_cast<CDrawText*>(m_element);
            if (auto* weather = dynamic_cast<CDrawTextWeather*>(state)) {
                weather->SetStateText(index, text.toStdString());
            } else if (auto* tendency = dynamic_cast<CDrawTextTendency*>(state)) {
                tendency->SetStateText(index, text.toStdString());
            } else if (auto* storm = dynamic_cast<CDrawTextStormWarning*>(state)) {
                storm->SetStateText(index, text.toStdString());
            }
        });
    });
}

void CStateTextsPane::ShowObject(CDrawObj* element, bool readOnly) {
    m_filling = true;
    m_element = IsOwnKind(element) ? element : nullptr;
    element = m_element;
    for (auto [edit, index] : m_edits) {
        std::string text;
        if (auto* weather = dynamic_cast<CDrawTextWeather*>(element)) {
            text = weather->GetStateText(index);
        } else if (auto* tendency = dynamic_cast<CDrawTextTendency*>(element)) {
            text = tendency->GetStateText(index);
        } else if (auto* storm = dynamic_cast<CDrawTextStormWarning*>(element)) {
            text = storm->GetStateText(index);
        }
        edit->setText(QString::fromStdString(text));
        edit->setEnabled(!readOnly);
    }
    m_filling = false;
}

CTextWeatherProperties::CTextWeatherProperties(QWidget* parent)
    : CStateTextsPane(parent), m_ui(std::make_unique<Ui::CTextWeatherProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    Bind(m_ui->sunny, 2, 1213);
    Bind(m_ui->changeable, 1, 1216);
    Bind(m_ui->rainy, 0, 1219);
}

CTextWeatherProperties::~CTextWeatherProperties() = default;

bool CTextWeatherProperties::IsOwnKind(const CDrawObj* element) const {
    return dynamic_cast<const CDrawTextWeather*>(element) != nullptr;
}

CTextTendencyProperties::CTextTendencyProperties(QWidget* parent)
    : CStateTextsPane(parent), m_ui(std::make_unique<Ui::CTextTendencyProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    Bind(m_ui->steady, 0, 1231);
    Bind(m_ui->rising, 1, 1226);
    Bind(m_ui->falling, 2, 1229);
}

CTextTendencyProperties::~CTextTendencyProperties() = default;

bool CTextTendencyProperties::IsOwnKind(const CDrawObj* element) const {
    return dynamic_cast<const CDrawTextTendency*>(element) != nullptr;
}

CTextStormwarningProperties::CTextStormwarningProperties(QWidget* parent)
    : CStateTextsPane(parent), m_ui(std::make_unique<Ui::CTextStormwarningProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    Bind(m_ui->storm, 0, 1222);
}

CTextStormwarningProperties::~CTextStormwarningProperties() = default;

bool CTextStormwarningProperties::IsOwnKind(const CDrawObj* element) const {
    return dynamic_cast<const CDrawTextStormWarning*>(element) != nullptr;
}
