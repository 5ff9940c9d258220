#pragma once

#include "core/files/ListedFile.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <optional>
#include <string_view>

// When each photo was taken, for numbering a batch in shooting order.
//
// Times are naive wall-clock times: milliseconds since 1970-01-01T00:00 of the
// wall clock they were read from, with no time zone. An Exif time is the
// camera's own clock and carries no zone; a file's modification time is an
// instant and is turned into this machine's local wall-clock time first, so
// that the two kinds compare. The time's type is ListedFile.h's.

// Sets up the metadata library: mutes its log (it writes to stderr) and
// initialises its XMP parser, which is not thread-safe. Call it once on the
// main thread before any reading starts; later calls do nothing. The readers
// below call it themselves too, so a forgotten call costs only the guarantee
// about threads.
void initializePhotoMetadata();

// The Exif DateTimeOriginal (with SubSecTimeOriginal when present; in TIFF/EP
// files the first directory's DateTimeOriginal) of the file at path, given as
// native bytes. Reads only the metadata, never the image data, and never the
// file's name: the file's first bytes (64 KiB at most), and more only where
// the format keeps its metadata further in. The file is read, never mapped
// into memory, so a card pulled out mid-read fails the read and nothing
// else. Nothing when the file has no such time or is not a regular file,
// unreadable, truncated, corrupt or hostile: it never throws and never
// writes to stderr. When readError is given, it is set to the error of the
// first system call on the file that failed (finding, opening or reading
// it), or to 0; a read that failed for the drive's sake (see isDriveFailure
// in core/common/ErrorReasons.h) means that the drive went away or is
// failing. Safe to call from one worker thread while the GUI thread runs,
// once initializePhotoMetadata() has returned. Each read ends by dropping
// the XMP namespaces the library registered meanwhile (see ShootingTime.cpp),
// so nothing else in the process may rely on a namespace registered with
// exiv2.
std::optional<qint64> exifShootingTime(const QByteArray& path, int* readError = nullptr);

// The same on a file's bytes already in memory.
std::optional<qint64> exifShootingTimeFromBytes(const char* data, size_t size);

// The Exif time, or else the file's modification time in local wall-clock time;
// TimeSource::None when neither can be read. readError as above: set even
// when the modification time stood in for an Exif time that could not be read.
// With an Exif time comes the camera whose clock wrote it, from the same read
// of the same bytes: Exif.Image.Make and Exif.Image.Model, and the body's
// serial number from the first of Exif.Photo.BodySerialNumber,
// Exif.Image.CameraSerialNumber and the makers' notes' Canon.SerialNumber,
// Nikon3.SerialNumber, Fujifilm.SerialNumber, OlympusEq.SerialNumber,
// Olympus.SerialNumber2, Pentax.SerialNumber, PentaxDng.SerialNumber,
// Sigma.SerialNumber and Panasonic.InternalSerialNumber that the file has
// (the library decodes those notes while it reads the Exif data anyway).
ShootingTime shootingTime(const QByteArray& path, int* readError = nullptr);

// An Exif date and time as stored, "YYYY:MM:DD HH:MM:SS" (trailing NULs and
// spaces allowed), with the sub-second digits of its companion tag ("250" is
// .250 s, "5" is .5 s; empty or not digits: whole seconds). Nothing for a
// blank, zero or otherwise impossible date.
std::optional<qint64> exifTimeFromText(std::string_view dateTime, std::string_view subSeconds = {});

// "2024/05/12 10:31:07": seconds shown, sub-seconds not.
QString formatShootingTime(qint64 localMsecs);
