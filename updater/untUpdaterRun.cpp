// The update run of TfmUpdaterMain: download, unpacking or installing, the
// version record, the script and the restart.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <filesystem>
#include <stdexcept>

#include "http/QVHTTP.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Process.h"
#include "script/QVScript.h"
#include "sevenzip/SevenZip.h"
#include "updater/MessageBox.h"
#include "updater/ZipReader.h"
#include "updater/untUpdaterMain.h"
#include "util/QVUtils.h"

namespace {

constexpr int kMaxCountedAttempts = 10;
constexpr int kKillBeforeAttempt = 9;
// How often the bar is repainted while a zip entry is written.
constexpr int64_t kZipRepaintMs = 30;

const char kDownloadFailed[] = "파일을 다운로드 할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";
const char kUnpackFailed[] = "파일을 압축해제할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";

void DeleteIfExists(const std::string& path) {
  if (platform::FileExists(path)) platform::DeleteFile(path);
}

// Packages of earlier runs that were killed before they could delete theirs:
// each is as large as a release and nothing else would ever remove it.
void DeleteStalePackages(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsPatchPackageName(name)) DeleteIfExists(folder + name);
  }
}

int64_t NowMs() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock.elapsed();
}

}  // namespace

void DelayWithMessages(uint32_t milliseconds) {
  // A monotonic clock: the wait never ends early when a tick counter wraps.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < static_cast<qint64>(milliseconds)) {
    QCoreApplication::processEvents();
    QThread::msleep(1);
  }
}

void TfmUpdaterMain::CreateComponents() {
  HttpDownloader = new TQVHTTP(this);
  HttpDownloader->setObjectName("HttpDownloader");
  HttpDownloader->SetTimeOut(10000);
  HttpDownloader->SetCharSet("UTF-8");
  HttpDownloader->SetMethod("POST");
  HttpDownloader->SetMultiPartMode(false);
  HttpDownloader->SetAutoHTTPEncode(false);
  HttpDownloader->SetBlockMode(false);
  HttpDownloader->SetKeepAlive(false);
  HttpDownloader->SetMaxSize(0);
  HttpDownloader->OnProgress = [this](QObject* Sender, int32_t TransSize, int32_t TotalSize) {
    HttpDownloaderProgress(Sender, TransSize, TotalSize);
  };
  HttpDownloader->OnEnd = [this](QObject* Sender, bool Success) {
    HttpDownloaderEnd(Sender, Success);
  };

  TimerUnPack = new TTaggedTimer(this);
  TimerUnPack->setObjectName("TimerUnPack");
  TimerUnPack->setInterval(1000);
  TimerInstallerCheck = new TTaggedTimer(this);
  TimerInstallerCheck->setObjectName("TimerInstallerCheck");
  TimerInstallerCheck->setInterval(250);
}

TfmUpdaterMain::~TfmUpdaterMain() {
  FormDestroy();
}

void TfmUpdaterMain::FormDestroy() {
  if (!FSetup) return;
  try {
    StopDownload();
  } catch (...) {
  }
  try {
    DeleteIfExists(PatchFile);
  } catch (...) {
  }
}

void TfmUpdaterMain::TakeArguments() {
  const TCommandLine& args = FSetup->CommandLine;
  if (args.ParamStr(1) != "MAIN_UP") return;
  if (args.ParamCount() >= 2) PatchVersion = args.ParamStr(2);
  if (args.ParamCount() >= 3) MainExeName = args.ParamStr(3);
  if (args.ParamCount() >= 4) MainProcessID = ParseProcessId(args.ParamStr(4));
  if (args.ParamCount() >= 5) PatchUrl = args.ParamStr(5);
}

void TfmUpdaterMain::StartDownload() {
  SetStatus(stDownload);
  const std::string& folder = FSetup->ProgramFolder;
  std::string extension;
  if (PatchModeFromUrl(PatchUrl, &PatchMode, &extension))
    PatchFile = folder + "patch_" + CurrentPatchStamp() + extension;
  UpdaterFile = folder + "Updater_New.exe";
  ScriptFile = folder + "script.dat";
  for (const std::string* file : {&PatchFile, &UpdaterFile, &ScriptFile}) DeleteIfExists(*file);
  DeleteStalePackages(folder);

  HttpDownloader->BufferClear();
  HttpDownloader->SetMethod("GET");
  HttpDownloader->SetAutoHTTPEncode(true);
  HttpDownloader->SetBlockMode(false);
  HttpDownloader->SetDownFileMode(true);
  HttpDownloader->SetDownFileName(PatchFile);
  HttpDownloader->SetURL(PatchUrl);
  HttpDownloader->RequestHTTPData();
}

void TfmUpdaterMain::StopDownload() {
  if (HttpDownloader->Success()) return;
  HttpDownloader->Stop();
  DelayWithMessages(1000);
}

void TfmUpdaterMain::ShowProgress(int percent, bool showPercent) {
  scProgressBar->resize(BarWidth(percent, scProgressMain->width()), scProgressBar->height());
  scProgressBar->update();
  if (showPercent) lblPercent->setText(QString::number(percent) + "%");
}

void TfmUpdaterMain::HttpDownloaderProgress(QObject*, int32_t TransSize, int32_t TotalSize) {
  ShowProgress(ProgressPercent(TransSize, TotalSize), true);
}

void TfmUpdaterMain::HttpDownloaderEnd(QObject*, bool Success) {
  if (Success) {
    SetStatus(PatchMode == pmPkgExe ? stInstall : stUnextract);
    TimerUnPack->start();
    return;
  }
  ShowInformationMessage(this, kDownloadFailed);
  close();
}

void TfmUpdaterMain::on_TimerUnPack_timeout() {
  TimerUnPack->stop();
  const int attempt = ++TimerUnPack->Tag;
  if (PatchMode != pmPkgExe) {
    if (attempt <= kMaxCountedAttempts)
      lblStatus->setText(QString::fromStdString(UnpackStatusText(attempt)));
    if (attempt == kKillBeforeAttempt && MainProcessID > 0) {
      try {
        KillProcessAndChildren(static_cast<uint32_t>(MainProcessID));
      } catch (...) {
      }
    }
  }
  ExtractPatch(attempt);
}

void TfmUpdaterMain::ExtractPatch(int attempt) {
  QCoreApplication::processEvents();
  try {
    if (PatchFile.ends_with(".zip")) {
      TZipReader reader;
      reader.OnProgress = [this](TZipReader* Sender, const std::string& FileName,
                                 const TZipEntryHeader& Header, int64_t Position) {
        ZipFileProgress(Sender, FileName, Header, Position);
      };
      reader.Open(PatchFile);
      // Under the current folder, which the run never sets.
      reader.ExtractAll();
      reader.Close();
      FinishUpdate();
    } else if (PatchFile.ends_with(".7z")) {
      UnZip = std::make_unique<TSevenZip>();
      UnZip->SetExtrBaseDir(FSetup->ProgramFolder);
      UnZip->SetExtractOptions(ExtractOverwrite);
      UnZip->SetSZFileName(PatchFile);
      const int32_t result = UnZip->Extract(false);
      // Freed after every attempt; cleared too, so nothing points at it.
      UnZip.reset();
      if (result == 0)
        FinishUpdate();
      else if (attempt > kMaxCountedAttempts)
        ChangePatchMode(pmPkgExe);
      else
        TimerUnPack->start();
    } else if (PatchFile.ends_with(".exe")) {
      SetStatus(stInstall);
      // A package made elsewhere arrives without the execute bit.
      platform::MakeOwnerExecutable(PatchFile);
      uint32_t pid = 0;
      const std::string parameters = "/verysilent /patch=\"" + PatchFile + "\"";
      if (LaunchProcess(PatchFile, parameters, SW_SHOWNORMAL, pid) != 0) {
        close();
        return;
      }
      InstallerPId = pid;
      TimerInstallerCheck->start();
    }
  } catch (...) {
    UnZip.reset();
    if (attempt <= kMaxCountedAttempts) {
      TimerUnPack->start();
    } else {
      ShowInformationMessage(this, kUnpackFailed);
      close();
    }
  }
}

void TfmUpdaterMain::ZipFileProgress(TZipReader*, const std::string&, const TZipEntryHeader& Header,
                                     int64_t Position) {
  // An empty entry is complete as soon as it is there.
  const int percent =
      Header.UncompressedSize == 0 ? 100 : ProgressPercent(Position, Header.UncompressedSize);
  ShowProgress(percent, false);
  // Extraction runs on this thread: let the bar be painted now and then,
  // without taking user input in the middle of it.
  const int64_t now = NowMs();
  if (now - FLastRepaint >= kZipRepaintMs) {
    FLastRepaint = now;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void TfmUpdaterMain::on_TimerInstallerCheck_timeout() {
  try {
    if (IsProcessRunning(InstallerPId) && InstallerPId > 0) return;
    TimerInstallerCheck->stop();
    close();
  } catch (...) {
  }
}

void TfmUpdaterMain::ChangePatchMode(TPatchMode mode) {
  if (mode != pmPkgExe) return;
  SetStatus(stDownload);
  DeleteIfExists(PatchFile);
  PatchUrl = FallbackUrl(PatchUrl);
  StartDownload();
}

void TfmUpdaterMain::FinishUpdate() {
  WriteVersion();
  RunUpdateScript();
  if (platform::FileExists(UpdaterFile))
    RunNewUpdater(UpdaterFile);
  else
    platform::ShellOpen(FSetup->ProgramFolder + MainExeName, "UPDATER_UP \"" + MainExeName + "\"");
  DeleteIfExists(PatchFile);
  DeleteIfExists(ScriptFile);
  Terminate();
}

void TfmUpdaterMain::WriteVersion() {
  if (!platform::WriteProfileString(FSetup->ProgramFolder + "version.ini", "config", "version",
                                    PatchVersion))
    throw std::runtime_error("cannot write version.ini");
}

void TfmUpdaterMain::RunUpdateScript() {
  if (platform::FileExists(ScriptFile)) RunScriptFile(ScriptFile);
}

void TfmUpdaterMain::RunNewUpdater(const std::string& updaterFile) {
  // A package made elsewhere arrives without the execute bit.
  platform::MakeOwnerExecutable(updaterFile);
  platform::ShellOpen(updaterFile, "UPDATER_UP \"" + MainExeName + "\"");
}

void TfmUpdaterMain::Terminate() {
  FTerminated = true;
  QCoreApplication::quit();
}
