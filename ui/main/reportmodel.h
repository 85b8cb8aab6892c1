#pragma once

#include "search/searchengine.h"

#include <QAbstractListModel>
#include <QStringList>

// The result list's lines: references to records of the table (a line is
// built only when it is shown or copied), or the not-found line alone.
class ReportModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ReportModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    QString line(int row) const;

    void clear();
    // Shows the hits found so far by a running scan (they arrive in list order).
    void showLive(const RecordTable &table, const HitList &hitsSoFar);
    // The final hits; none shows the not-found line.
    void setResult(const RecordTable &table, HitList hits);
    // Turns the lines into text of their own, so that they stay as they are
    // while the record table is rebuilt.
    void detachFromTable();

private:
    const RecordTable *m_table = nullptr;
    const HitList *m_live = nullptr;
    HitList m_hits;
    QStringList m_lines;  // detached or not-found lines
    int m_rows = 0;
};
