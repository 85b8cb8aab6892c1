#include "reportmodel.h"

ReportModel::ReportModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int ReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant ReportModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return line(index.row());
}

QString ReportModel::line(int row) const
{
    if (row < 0 || row >= m_rows)
        return {};
    if (!m_lines.isEmpty())
        return m_lines.at(row);
    const HitList &hits = m_live ? *m_live : m_hits;
    return resultLine(*m_table, hits[size_t(row)]);
}

void ReportModel::clear()
{
    beginResetModel();
    m_table = nullptr;
    m_live = nullptr;
    m_hits.clear();
    m_lines.clear();
    m_rows = 0;
    endResetModel();
}

void ReportModel::showLive(const RecordTable &table, const HitList &hitsSoFar)
{
    const int now = int(hitsSoFar.size());
    m_table = &table;
    m_live = &hitsSoFar;
    if (now > m_rows) {
        beginInsertRows({}, m_rows, now - 1);
        m_rows = now;
        endInsertRows();
    }
}

void ReportModel::setResult(const RecordTable &table, HitList hits)
{
    beginResetModel();
    m_table = &table;
    m_live = nullptr;
    m_lines.clear();
    m_hits = std::move(hits);
    if (m_hits.empty())
        m_lines = QStringList{NotFoundLine};
    m_rows = m_hits.empty() ? 1 : int(m_hits.size());
    endResetModel();
}

void ReportModel::detachFromTable()
{
    if (!m_lines.isEmpty() || m_rows == 0)
        return;
    QStringList lines;
    lines.reserve(m_rows);
    for (int i = 0; i < m_rows; ++i)
        lines.append(line(i));
    m_lines = std::move(lines);
    m_hits.clear();
    m_live = nullptr;
    m_table = nullptr;
}
