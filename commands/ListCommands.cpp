// CheckListTheClick, CheckListTheClickCheck, StopClick, clearClick and resetClick.
#include "commands/ListCommands.h"

#include <stdexcept>
#include <string>

namespace kelvane {

void CheckListTheClick(Session& session, int index) {
  Project& p = session.project;
  p.SetText(TLabel::Status1, "CRC-32bit :\t" + p.StoredCRC32(index) + "H");
  p.SetText(TLabel::Status2, "ChekSum19 :\t" + p.StoredCheckSum19(index) + "H");
  p.SetText(TLabel::Status3, std::to_string(index + 1) + "/" + std::to_string(p.Count()));
  p.SetText(TLabel::S17, p.FlagText(index));
}

void CheckListTheClickCheck(Session& session, int index) {
  Project& p = session.project;
  p.SetFlag(index, p.State(index));
  p.SetText(TLabel::S17, p.FlagText(index));
}

void StopClick(Session& session) {
  session.StopRequested = true;
}

void clearClick(Session& session) {
  session.project.Clear();
  session.project.SetText(TLabel::ChkSrc, "");
  session.project.SetText(TLabel::ChkDst, "");
}

void resetClick(Session& session) {
  Project& p = session.project;
  if (p.Count() != p.ValueCount())
    throw std::runtime_error(
        "ListFile invalid.\r\rChkList item count\t :" + std::to_string(p.Count()) + "\r" +
        "Values item count\t :" + std::to_string(p.ValueCount()) + "\r\r" +
        "Create new list first, please");
  p.SyncChecksFromValues();
  for (int i = 0; i < p.Count(); ++i)
    if (p.State(i) == TCheckState::cbGrayed) p.SetState(i, TCheckState::cbUnchecked);
}

}  // namespace kelvane
