#include "profiles/schedule.h"

namespace {

unsigned s_lastTimerId = 0;

}  // namespace

std::map<unsigned, CSchedule*>& CSchedule::RunningSchedules() {
    static std::map<unsigned, CSchedule*> schedules;
    return schedules;
}

CSchedule::CSchedule() : m_timer(std::make_unique<QTimer>()) {
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { OnTimer(m_timerId); });
}

CSchedule::~CSchedule() {
    Stop();
}

int CSchedule::DelayToNextTick(unsigned period, Clock::TimePoint now) {
    std::tm local{};
    int millisecond = 0;
    if (period == 0 || !Clock::ToLocal(now, local, millisecond)) {
        return static_cast<int>(period);
    }
    long long position =
        ((static_cast<long long>(local.tm_mday) * 24 + local.tm_hour) * 60 + local.tm_min) *
            60000LL +
        local.tm_sec * 1000LL + millisecond;
    return static_cast<int>(period - static_cast<unsigned>(position % period));
}

bool CSchedule::Start() {
    if (m_timerId != 0) {
        Stop();
    }
    m_timer->start(DelayToNextTick(m_period, Clock::Now()));
    if (!m_timer->isActive()) {
        return false;
    }
    m_timerId = ++s_lastTimerId;
    RunningSchedules()[m_timerId] = this;
    return true;
}

bool CSchedule::Stop() {
    auto& running = RunningSchedules();
    auto it = running.find(m_timerId);
    if (m_timerId == 0 || it == running.end()) {
        return false;
    }
    m_timer->stop();
    running.erase(it);
    m_timerId = 0;
    return true;
}

void CSchedule::SetPeriod(unsigned milliseconds) {
    m_period = milliseconds;
    if (IsRunning()) {
        Stop();
        Start();
    }
}

void CSchedule::OnTimer(unsigned timerId) {
    auto& running = RunningSchedules();
    auto it = running.find(timerId);
    if (it == running.end()) {
        return;
    }
    CSchedule* schedule = it->second;
    schedule->Stop();
    schedule->Tick();
    schedule->Start();
}
