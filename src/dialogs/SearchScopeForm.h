#pragma once

#include "engine/ScopeRoot.h"
#include "engine/ScopeTree.h"
#include "engine/ports/HostDiscovery.h"

#include <QDialog>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TScopeBuildNotice;

// "Search Scope": the network map, built when Refresh is pressed, from which the user
// picks the container below which network enumeration starts: the whole network, a
// network provider, or a domain or workgroup. The map is built on a thread of its own
// (BuildScopeTree), so the window stays responsive while a large network is listed;
// meanwhile a notice covers the tree and Refresh and OK wait. The window owns that
// thread: closing or destroying the window stops the build and waits for the browse
// call under way (bounded by the browser's time-outs), so nothing of it outlives the
// window. OK without a selected node shows "Please specify search scope" and keeps
// the window open.
//
// With a host discovery, the map is one host list: the NetBIOS browse lists the
// computers of each group as well, multicast discovery (WS-Discovery, DNS-SD) runs
// at the same time for the discovery window, and its computers join the map
// (AddDiscoveredHosts); a second column names the sources that listed each
// computer, and its tool tip its address too. While the window is open, computers announcing themselves
// (WS-Discovery Hello and Bye) are added to and removed from a built map.
//
// Entry point for the main window's "Search &Scope" command, with a browser of its
// own (std::make_shared<SmbNetworkBrowser>(), kept for later uses):
//     if (TSearchScopeForm::Execute(this, browser, scopeRoot(), discovery))
//         updateScopePanel();
class TSearchScopeForm : public QDialog {
    Q_OBJECT
public:
    TSearchScopeForm(std::shared_ptr<NetworkBrowser> browser, QWidget* parent = nullptr,
                     std::shared_ptr<HostDiscovery> discovery = {});
    ~TSearchScopeForm() override;

    // Shows the window; on OK assigns the chosen container to root (AssignScopeRoot;
    // "Entire Network" clears it) and returns true. Cancel leaves root unchanged.
    static bool Execute(QWidget* parent, std::shared_ptr<NetworkBrowser> browser, TScopeRoot& root,
                        std::shared_ptr<HostDiscovery> discovery = {},
                        std::chrono::milliseconds discoveryWindow = kDefaultDiscoveryWindow);

    // How long the map build listens for multicast answers (the "DiscoveryWindow" setting).
    static constexpr std::chrono::milliseconds kDefaultDiscoveryWindow{1500};
    void setDiscoveryWindow(std::chrono::milliseconds window) { m_discoveryWindow = window; }

    // Starts building the map (Refresh); nothing happens while a build runs.
    void refresh();
    bool isBuilding() const { return m_build.valid(); }
    // The container chosen with OK; empty for "Entire Network".
    const std::optional<TNetResource>& chosenRoot() const { return m_chosen; }
    QTreeWidget* tree() const { return m_tree; }

    void accept() override;
    void reject() override;

Q_SIGNALS:
    // The map of a refresh is in the tree.
    void buildFinished();

private:
    // The build numbered number has ended: its map goes into the tree, unless the
    // build was stopped or another one started meanwhile.
    void finishBuild(quint64 number);
    // Stops a build in progress and waits for its thread.
    void cancelBuild();
    void showBuilding(bool building);
    void showTree(const TScopeNode& top);
    void addNode(QTreeWidgetItem* item, const TScopeNode& node);
    // A computer announced itself (joined) or its leave; the built map follows.
    void announce(const TFoundHost& host, bool joined);

    std::shared_ptr<NetworkBrowser> m_browser;
    std::shared_ptr<HostDiscovery> m_discovery;
    std::chrono::milliseconds m_discoveryWindow = kDefaultDiscoveryWindow;
    std::unique_ptr<HostWatch> m_watch; // ends before the window's members go
    std::optional<TScopeNode> m_top;    // the map shown, once built
    std::stop_source m_stop;            // of the build in progress
    std::future<TScopeNode> m_build;    // valid while a build is in progress
    quint64 m_buildNumber = 0;
    QTreeWidget* m_tree;
    TScopeBuildNotice* m_notice;
    QPushButton* m_refresh;
    QPushButton* m_ok;
    // The resource of each node, by the index stored in the node's item; the top
    // node's is empty.
    std::vector<std::optional<TNetResource>> m_resources;
    std::optional<TNetResource> m_chosen;
};
