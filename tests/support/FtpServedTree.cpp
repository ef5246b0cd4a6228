#include "support/FtpServedTree.h"

#include <QFile>

void FtpServedTree::writeSparse(const QString& name, const QByteArray& head, qint64 size) const
{
    QFile file(tree.file(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(head), head.size());
    ASSERT_TRUE(file.resize(size));
}
