#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <vector>

// The hidden file list `File`: the plain names of the regular, non-hidden
// files of its folder that match one of its ";"-separated wildcard patterns,
// in natural order. It is never shown, so it is a plain object that the
// benchmark can drive without a screen. Names stay the native bytes of the
// directory listing.
class FileList : public QObject {
    Q_OBJECT
public:
    explicit FileList(QObject* parent = nullptr);

    QString Path() const { return path_; }
    // Points the list at folder, re-reads it and raises pathChanged, even
    // when the folder is the one already shown, so that a folder change always
    // ends with a fresh conversion list.
    void setPath(const QString& folder);

    QString Pattern() const { return pattern_; }
    // Sets the filter, re-reads the folder and raises patternChanged.
    void setPattern(const QString& patterns);

    // Re-reads the folder with the current filter.
    void Refresh();

    int ListCount() const { return int(names_.size()); }
    const QByteArray& List(int index) const { return names_[size_t(index)]; }
    const std::vector<QByteArray>& names() const { return names_; }

    // errno of the last read that failed, 0 when it succeeded.
    int lastError() const { return lastError_; }

signals:
    void pathChanged();
    void patternChanged();

private:
    void read();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    std::vector<QByteArray> names_;
    int lastError_ = 0;
    bool justRead_ = false;
};
