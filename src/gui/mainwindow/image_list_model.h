// The image list as a table: one row per image with its check box, name, status, last status
// and the times of its last export. Rows change one at a time as exports report.
#pragma once

#include <QAbstractTableModel>

#include "profiles/profiles_file.h"

class CImageListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Active = 0, Name, Status, LastStatus, LastStart, LastFinish, ColumnCount };

    explicit CImageListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A click on the check box: switches the image on or off, unless it is queued, running
    // or just finished (then refused is emitted and the tick stays).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    ProfileList& Profiles() { return m_profiles; }
    CProfile* ProfileAt(int row) const;
    // The row of the profile; -1 when it has none.
    int RowOf(const CProfile* profile) const;

    // Replaces the whole list.
    void Reset(ProfileList profiles);
    void Append(std::unique_ptr<CProfile> profile);
    void Remove(int row);
    // Repaints the given columns of the profile's row.
    void Refresh(const CProfile* profile, Column first, Column last);

  signals:
    void refused(int row);
    void activeChanged(int row);

  private:
    ProfileList m_profiles;
};
