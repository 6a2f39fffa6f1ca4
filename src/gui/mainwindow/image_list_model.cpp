#include "gui/mainwindow/image_list_model.h"

#include "base/lang_string.h"
#include "gui/widgets/captions.h"

int CImageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_profiles.size());
}

int CImageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

CProfile* CImageListModel::ProfileAt(int row) const {
    return row >= 0 && row < rowCount() ? m_profiles[static_cast<size_t>(row)].get() : nullptr;
}

int CImageListModel::RowOf(const CProfile* profile) const {
    for (size_t row = 0; row < m_profiles.size(); ++row) {
        if (m_profiles[row].get() == profile) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

QVariant CImageListModel::data(const QModelIndex& index, int role) const {
    CProfile* profile = ProfileAt(index.row());
    if (profile == nullptr) {
        return {};
    }
    if (role == Qt::CheckStateRole && index.column() == Active) {
        return profile->GetActive() ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::ToolTipRole && index.column() == LastStatus) {
        std::string error = profile->GetLastError();
        return error.empty() ? QVariant() : QVariant(WrappedTooltip(QString::fromStdString(error)));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case Name:
            return QString::fromStdString(profile->GetName());
        case Status:
            return QString::fromStdString(profile->GetStatusText());
        case LastStatus:
            return QString::fromStdString(profile->GetLastStatus());
        case LastStart:
            return QString::fromStdString(profile->GetLastStartTime());
        case LastFinish:
            return QString::fromStdString(profile->GetLastFinishTime());
        default:
            return {};
    }
}

QVariant CImageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    static const unsigned titles[ColumnCount] = {163, 164, 165, 166, 167, 168};
    return QString::fromStdString(LangString(titles[section]));
}

Qt::ItemFlags CImageListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == Active ? flags | Qt::ItemIsUserCheckable : flags;
}

bool CImageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CProfile* profile = ProfileAt(index.row());
    if (profile == nullptr || role != Qt::CheckStateRole || index.column() != Active) {
        return false;
    }
    bool active = value.toInt() == Qt::Checked;
    if (active == profile->GetActive()) {
        return false;
    }
    if (!active && profile->GetState() != ExportState::Waiting) {
        emit refused(index.row());
        return false;
    }
    profile->SetActive(active);
    emit dataChanged(this->index(index.row(), Active), this->index(index.row(), Status));
    emit activeChanged(index.row());
    return true;
}

void CImageListModel::Reset(ProfileList profiles) {
    beginResetModel();
    m_profiles = std::move(profiles);
    endResetModel();
}

void CImageListModel::Append(std::unique_ptr<CProfile> profile) {
    int row = rowCount();
    beginInsertRows({}, row, row);
    m_profiles.push_back(std::move(profile));
    endInsertRows();
}

void CImageListModel::Remove(int row) {
    if (ProfileAt(row) == nullptr) {
        return;
    }
    beginRemoveRows({}, row, row);
    // Taken out first: destroying waits for an export of it, which may post to this model.
    std::unique_ptr<CProfile> gone = std::move(m_profiles[static_cast<size_t>(row)]);
    m_profiles.erase(m_profiles.begin() + row);
    endRemoveRows();
}

void CImageListModel::Refresh(const CProfile* profile, Column first, Column last) {
    int row = RowOf(profile);
    if (row >= 0) {
        emit dataChanged(index(row, first), index(row, last));
    }
}
