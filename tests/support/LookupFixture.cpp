#include "support/LookupFixture.h"

#include "data/CodeCodec.h"
#include "grid/DataGrid.h"

#include <QDir>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace LookupFixture {

QStringList startupStatements() {
    return {QStringLiteral("insert into news values ('1','新闻')"),
            QStringLiteral("insert into case_hs values (0,'起始','%1','','2024-01-01','2024-01-01',0,'')")
                .arg(ScrambleCode(QStringLiteral("00000000")))};
}

void writeStartupRows(TestDatabase &db) {
    db.exec(startupStatements());
    QDir(db.dir()).mkpath(QStringLiteral("images"));
    QImage banner(385, 65, QImage::Format_RGB888);
    banner.fill(Qt::darkCyan);
    EXPECT_TRUE(banner.save(db.dir() + QStringLiteral("images/banner.bmp"), "BMP"));
}

void addTariff(TestDatabase &db, int id, const QString &plainCode, const QString &name, const QVariant &lice) {
    db.exec(QStringLiteral("insert into official_hs (id,hs_code,name,spec,low_rate,high_rate,reg_rate,reg_date,"
                           "tax_rate,unit1,unit2,lice) values (%1,'%2','%3','规格',10,30,13,'2020-03-01 00:00:00',"
                           "17,'千克','头',%4)")
                .arg(id)
                .arg(ScrambleCode(plainCode), name,
                     lice.isNull() ? QStringLiteral("null")
                                   : u'\'' + lice.toString().replace(u'\'', QStringLiteral("''")) + u'\''));
}

int columnOf(const DataGrid *grid, const QString &field) {
    for (int c = 0; c < grid->gridModel()->columnCount(); ++c)
        if (grid->gridModel()->fieldAt(c) == field) return c;
    return -1;
}

QStringList rows(const DataGrid *grid) {
    QStringList out;
    const GridModel *m = grid->gridModel();
    const_cast<GridModel *>(m)->fetchAll();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            if (!grid->isColumnHidden(c)) cells << m->text(r, c);
        out << cells.join(u'|');
    }
    return out;
}

QStringList column(const DataGrid *grid, const QString &field) {
    QStringList out;
    const int c = columnOf(grid, field);
    for (int r = 0; r < grid->gridModel()->rowCount(); ++r) out << grid->gridModel()->text(r, c);
    return out;
}

int rowOf(const DataGrid *grid, const QString &field, const QString &text) { return column(grid, field).indexOf(text); }

void clickCell(DataGrid *grid, int row, const QString &field) {
    const int c = columnOf(grid, field);
    ASSERT_GE(c, 0) << field.toStdString();
    const QModelIndex index = grid->model()->index(row, c);
    ASSERT_TRUE(index.isValid()) << "row " << row << " of " << grid->objectName().toStdString();
    grid->scrollTo(index);
    const QRect r = grid->visualRect(index);
    ASSERT_TRUE(grid->viewport()->rect().contains(r.center())) << field.toStdString();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

void showActive(QWidget *window) {
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

} // namespace LookupFixture
