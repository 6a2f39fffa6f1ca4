#include "gui/layoutcheck/preview_bar.h"

#include <QSignalBlocker>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/state_slot.h"
#include "gui/widgets/captions.h"
#include "ui_preview_bar.h"

namespace {

// Fills the box with a ";" list, each item carrying its state value; the last item is missing.
void fillStates(QComboBox* box, unsigned list) {
    QStringList items = QString::fromStdString(LangString(list)).split(';');
    for (int i = 0; i < items.size(); ++i) {
        box->addItem(items[i], i + 1 < items.size() ? i : kMissingInt);
    }
}

void selectData(QComboBox* box, int value) {
    int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : box->count() - 1);
}

}  // namespace

CPreviewBar::CPreviewBar(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CPreviewBar>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    fillStates(m_ui->weather, kListWeatherStates);
    fillStates(m_ui->tendency, kListTendencyStates);
    fillStates(m_ui->storm, kListStormStates);
    QStringList languages = QString::fromStdString(LangString(kListPreviewLanguages)).split(';');
    m_ui->language->addItem(languages.value(0), 0);
    for (size_t i = 0; i < std::size(kLanguages); ++i) {
        m_ui->language->addItem(languages.value(static_cast<int>(i) + 1), kLanguages[i]);
    }
    // A first look shows the usual day: sunny, steady, no alarm.
    selectData(m_ui->weather, 2);
    selectData(m_ui->tendency, 0);
    selectData(m_ui->storm, 0);
    auto changed = [this] { Changed(); };
    connect(m_ui->preview, &QCheckBox::toggled, this, changed);
    connect(m_ui->widest, &QCheckBox::toggled, this, changed);
    for (QComboBox* box : {m_ui->weather, m_ui->tendency, m_ui->storm, m_ui->language}) {
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    }
    changed();
}

CPreviewBar::~CPreviewBar() = default;

void CPreviewBar::Changed() {
    bool on = m_ui->preview->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->weather, m_ui->tendency, m_ui->storm, m_ui->language, m_ui->widest}) {
        control->setEnabled(on);
    }
    emit stateChanged();
}

std::optional<PreviewState> CPreviewBar::State() const {
    if (!m_ui->preview->isChecked()) {
        return std::nullopt;
    }
    PreviewState state;
    state.states = {m_ui->weather->currentData().toInt(), m_ui->tendency->currentData().toInt(),
                    m_ui->storm->currentData().toInt()};
    state.langId = static_cast<unsigned short>(m_ui->language->currentData().toUInt());
    state.widestReadings = m_ui->widest->isChecked();
    return state;
}

void CPreviewBar::SetState(const std::optional<PreviewState>& state) {
    {
        QSignalBlocker blockWeather(m_ui->weather), blockTendency(m_ui->tendency),
            blockStorm(m_ui->storm), blockLanguage(m_ui->language), blockWidest(m_ui->widest),
            blockPreview(m_ui->preview);
        if (state) {
            selectData(m_ui->weather, state->states[0]);
            selectData(m_ui->tendency, state->states[1]);
            selectData(m_ui->storm, state->states[2]);
            selectData(m_ui->language, state->langId);
            m_ui->widest->setChecked(state->widestReadings);
        }
        m_ui->preview->setChecked(state.has_value());
    }
    // Once, for the whole change.
    Changed();
}
