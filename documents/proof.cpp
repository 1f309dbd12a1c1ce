#include "documents/proof.h"

#include "image/pixel_ops.h"

namespace vemoraVeriglow {

using namespace vemora;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

ColorSpace::Element use(const PNodeSetting& node, Intent intent, PointerHolder<BlackPointCompensation> bpc = {})
{
    ColorSpace::Element e;
    e.first = node.pack.profile;
    e.second.intent = intent;
    e.second.bpc = bpc;
    return e;
}

} // namespace

void Proof::update_link()
{
    sequence.clear();
    ColorSpace::Chain chain;
    const PointerHolder<BaseProfile>& displayProfile = display.second.profile;
    const std::vector<PNodeSetting>& nodes = setting.nodes;

    if (nodes.size() == 1 && nodes[0].is_lab) {
        ColorSpace::Element d;
        d.first = displayProfile;
        d.second.intent = setting.simulate == 2 ? 3 : 1;
        chain.push_back(d);
    } else if (!nodes.empty()) {
        const PNodeSetting& source = setting.use_embedded ? setting.embedded_node : nodes[0];
        if (!nodes[0].is_lab)
            sequence.push_back(use(source, source.intent_out));
        for (std::size_t i = 1; i < nodes.size(); ++i) {
            const PNodeSetting& node = nodes[i];
            PointerHolder<BlackPointCompensation> bpc;
            // A node without a usable profile cannot be compensated; setup will refuse it.
            if (node.bpc && !node.pack.profile.isNull()) {
                const PNodeSetting& previous = i == 1 ? source : nodes[i - 1];
                bpc.allocate(new BlackPointCompensation, true);
                if (previous.is_lab) {
                    double black[3];
                    BlackPointCompensation::estimateBlackPoint(black, node.pack.profile.get(), node.intent_in);
                    const double zero[3] = {0, 0, 0};
                    bpc->init(zero, black);
                } else if (!previous.pack.profile.isNull()) {
                    bpc->init(previous.pack.profile.get(), previous.intent_out, node.pack.profile.get(), node.intent_in);
                }
            }
            sequence.push_back(use(node, node.intent_in, bpc));
            sequence.push_back(use(node, node.intent_out));
        }
        chain = sequence;
        if (!chain.empty()) {
            ColorSpace::Element& last = chain.back();
            ColorSpace::Element d;
            d.first = displayProfile;
            d.second.intent = 1;
            if (setting.simulate == 0) {
                last.second.intent = 1;
                if (!last.first.isNull() && !displayProfile.isNull()) {
                    d.second.bpc.allocate(new BlackPointCompensation, true);
                    d.second.bpc->init(last.first.get(), 1, displayProfile.get(), 1);
                }
            } else {
                last.second.intent = setting.simulate == 1 ? 1 : 3;
            }
            chain.push_back(d);
        }
    }
    link.allocate(new ColorSpace, true);
    link->setup(chain, setting.color_mode, true, setting.color_mode == colorModeLab ? 5 : 4);
}

void rotate_proof_image(Proof* proof, bool right)
{
    if (proof->image.image.isNull())
        return;
    PointerHolder<GenericImage> turned;
    turned.allocate(new GenericImage, true);
    if (right)
        gimage_rotate_right(turned.get(), *proof->image.image);
    else
        gimage_rotate_left(turned.get(), *proof->image.image);
    proof->image.image = turned;
}

} // namespace vemoraVeriglow
