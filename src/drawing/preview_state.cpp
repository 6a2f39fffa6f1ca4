#include "drawing/preview_state.h"

namespace {

thread_local const PreviewState* t_current = nullptr;

}  // namespace

const PreviewState* CurrentPreviewState() {
    return t_current;
}

CScopedPreviewState::CScopedPreviewState(const PreviewState& state)
    : m_state(state), m_previous(t_current) {
    t_current = &m_state;
}

CScopedPreviewState::~CScopedPreviewState() {
    t_current = m_previous;
}
