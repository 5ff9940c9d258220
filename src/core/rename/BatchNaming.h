#pragma once

#include "core/rename/DateFields.h"
#include "core/rename/RenamePlan.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Whether the new names of a batch show the files' shooting times: a field
// in the prefix or suffix (own name + serial has neither). Reads the texts
// only as far as their first field.
bool namesShowShootingTimes(const RenameRequest& request);

// How the rows of a batch are named: the naming rule, the shooting-time
// fields of the prefix and suffix, and the serials, which may start again
// each day. A row is named as a whole: every file it holds takes its serial
// and its time.
class BatchNaming {
public:
    // start: the batch's first serial.
    BatchNaming(const RenameRequest& request, int start);

    // Whether the new names hold the rows' shooting times: a field in the
    // prefix or suffix (own name + serial has neither).
    bool usesTimes() const { return usesTimes_; }

    // The serial of the next row in list order, taken at localMsecs (its
    // corrected shooting time, see core/files/ListedFile.h; any value where
    // the names show no time): one after the row before, or start again
    // where the serials start again each day, the names show the day and
    // this row's day is not the row's before it.
    int nextSerial(qint64 localMsecs);

    // Appends the new stem of a row taken at localMsecs, whose first file's
    // stem is ownStem: what each file of the row takes in place of its own.
    void appendStem(QByteArray& out, QByteArrayView ownStem, qint64 localMsecs, int serial,
                    int width);
    // The bytes a new stem adds to an entry's name at most, for reserving room.
    qsizetype addedSize(int width) const;

private:
    bool ownName_;
    NameText prefix_;
    NameText suffix_;
    bool usesTimes_;
    bool restartEachDay_;
    int start_;
    int next_;
    qint64 previousDay_ = 0;
    // The prefix and suffix as written for the last row's time, which a list
    // in shooting order mostly shares with the row before: they are written
    // again when the day changes, and only the digits of the time of day
    // when the second does.
    void followTime(qint64 localMsecs);
    void writeTexts();
    bool showsTime_;
    WallClock clock_;           // the day the texts were written for
    qint64 writtenSecond_ = 0;  // the second their times of day show
    QByteArray writtenPrefix_;
    QByteArray writtenSuffix_;
    std::vector<qsizetype> prefixTimesAt_;
    std::vector<qsizetype> suffixTimesAt_;
};
