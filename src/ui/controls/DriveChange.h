#pragma once

class DriveList;
class FolderList;

// Moves folders to the drive that drives shows, as every window with a drive
// list does when the user picks a drive. A drive that is not ready asks
// "デバイスが準備されていません" with Retry and Cancel, as often as the user
// retries; Cancel leaves the folder list where it was and the drive list on
// the picked drive. Any other failure ends the program after its message,
// storing nothing. Returns true when the folder list moved.
bool followDrive(const DriveList& drives, FolderList& folders);
