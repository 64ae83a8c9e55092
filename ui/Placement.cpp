#include "ui/Placement.h"

#include <cmath>
#include <cstdlib>

TScreenPoint PlaceBesideOwner(const TOwnerPlacement& p) {
  TFormDirection direction = p.Direction;
  if (!p.HasOwner && direction != fdPrimaryCenter) direction = fdCenter;

  const int W = p.W;
  const int H = p.H;
  const TScreenRect& O = p.Owner;
  const TScreenRect& WA = p.WorkArea;
  int Left = 0;
  int Top = 0;
  auto bottomCheck = [&] {
    if (Top + H > WA.Bottom()) Top = WA.Bottom() - H;
  };
  auto leftOrCentre = [&] {
    if (Left + W > WA.Right())
      Left = O.Left - W - 1 > WA.Left ? O.Left - W - 1 : WA.Left + (WA.Width - W) / 2;
  };
  auto rightSide = [&] {
    if (Left < WA.Left) Left = O.Left + O.Width + 1;
  };
  auto primaryCentre = [&] {
    Left = p.Primary.Left + (p.Primary.Width - W) / 2;
    Top = p.Primary.Top + (p.Primary.Height - H) / 2;
  };

  switch (direction) {
    case fdRight:
      Top = O.Top;
      Left = O.Left + p.OwnerClientWidth;
      bottomCheck();
      leftOrCentre();
      break;
    case fdCenter:
      if (p.HasOwner) {
        Left = O.Left + (O.Width - W) / 2;
        Top = O.Top + (O.Height - H) / 2;
      } else {
        primaryCentre();
      }
      break;
    case fdLeft:
      Top = O.Top;
      Left = O.Left - W - 1;
      bottomCheck();
      rightSide();
      break;
    case fdLeftBottom:
      Top = O.Top + O.Height - H;
      Left = O.Left - W - 1;
      bottomCheck();
      rightSide();
      break;
    case fdRightBottom:
      Top = O.Top + O.Height - H;
      Left = O.Left + O.Width + 1;
      bottomCheck();
      leftOrCentre();
      break;
    case fdPrimaryCenter:
      primaryCentre();
      break;
  }

  if (p.HasOwner) {
    if (Left < WA.Left - 100 || Left > WA.Right() - 100)
      Left = p.Primary.Left + (p.Primary.Width - W) / 2;
    if (Top < WA.Top) Top = WA.Top;
  }
  return {Left, Top};
}

TScreenPoint SnapToEdges(TScreenPoint position, int W, int H, const TScreenRect& area) {
  if (std::abs(position.Left - area.Left) <= kSnapRange) position.Left = area.Left;
  if (std::abs(position.Left + W - area.Right()) <= kSnapRange) position.Left = area.Right() - W;
  if (std::abs(position.Top - area.Top) <= kSnapRange) position.Top = area.Top;
  if (std::abs(position.Top + H - area.Bottom()) <= kSnapRange) position.Top = area.Bottom() - H;
  return position;
}

TScreenPoint RestoredUnderPointer(const TScreenRect& maximized, int normalWidth, TScreenPoint start,
                                  TScreenPoint pointer) {
  const double across =
      maximized.Width > 0 ? double(start.Left - maximized.Left) / maximized.Width : 0.5;
  return {pointer.Left - static_cast<int>(std::lround(across * normalWidth)),
          maximized.Top + (pointer.Top - start.Top)};
}
