#pragma once

namespace tessel::layout {

// The main window's controls, in twips: left, top, width, height. Positions inside a frame are
// relative to that frame.
struct Place {
    int left, top, width, height;
};

inline constexpr int kClientWidth = 9180;
inline constexpr int kClientHeight = 4785;

inline constexpr Place lblBBSList{60, 60, 2775, 255};
inline constexpr Place lstBBSList{60, 300, 2775, 4260};
inline constexpr Place fraSetting{2940, 0, 6195, 4725};
inline constexpr Place lblPostName{1515, 480, 630, 180};
inline constexpr Place txtPostName{2250, 420, 2835, 315};
inline constexpr Place lblMail{1365, 900, 780, 180};
inline constexpr Place txtMail{2250, 840, 2835, 315};
inline constexpr Place lblPassWord{1050, 1320, 1095, 180};
inline constexpr Place txtPassword{2250, 1260, 855, 315};
inline constexpr Place lblHomePage{300, 1740, 1845, 180};
inline constexpr Place txtHomePage{2250, 1680, 3570, 315};
inline constexpr Place lblViewCount{990, 2220, 2415, 180};
inline constexpr Place uspnViewCount{3540, 2160, 735, 330};
inline constexpr Place lblDownloadCount{300, 2640, 3090, 180};
inline constexpr Place uspnDownloadCount{3540, 2580, 735, 330};
inline constexpr Place fraViewOrder{720, 3060, 1995, 1020};
inline constexpr Place optViewOrder0{180, 315, 1635, 255};
inline constexpr Place optViewOrder1{180, 630, 1695, 255};
inline constexpr Place fraNoReadView{3600, 3060, 1695, 1020};
inline constexpr Place optNoReadView1{180, 300, 1335, 255};
inline constexpr Place optNoReadView0{180, 630, 1335, 255};
inline constexpr Place cmdUpdate{4560, 4200, 1455, 375};

}  // namespace tessel::layout
