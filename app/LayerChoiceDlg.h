// "Choose Layer": which vector layer of a GeoPackage with several to open.
// m_layers in (names, in the file's order); after IDOK, m_nChosen out.
#pragma once

#include <string>
#include <vector>

#include "winfw/Dialog.h"

class CLayerChoiceDlg : public CDialog
{
public:
    explicit CLayerChoiceDlg(HWND hParent = nullptr);

    std::vector<std::string> m_layers;
    int m_nChosen = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;
};
