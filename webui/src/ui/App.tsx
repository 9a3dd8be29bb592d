// The root view: blank until the variant is known, the instrument view, the effects-only view, and the error screen.
import { Component, type ComponentChildren } from 'preact';
import { useEffect, useState } from 'preact/hooks';
import { bank, prefs, variant } from '../state/app';
import { Dialog } from './Dialog';
import { SysexButton } from './SysexPanel';
import { BankBuilder } from './BankBuilder';
import { SaveAsDialog } from './PatchBrowser';
import { schemaReady } from '../state/params';
import { hasHostBridge } from '../bridge/host';
import { texts } from '../i18n/texts';
import { Header, PatchBar, ToneMenus } from './TopBars';
import { TonePanel } from './TonePanel';
import { PerformanceStrip } from './Performance';
import { VolumeSection, Wheels } from './Wheels';
import { EffectChain } from './EffectChain';
import { LearnOverlay } from './Learn';
import { ResizeGrip } from './ResizeGrip';
import { lowerMounted, upperShown } from '../state/expand';
import { kNarrowLayoutWidth, layoutScale } from '../model/layout';

class ErrorBoundary extends Component<{ children: ComponentChildren }, { error: Error | null }> {
  state = { error: null as Error | null };
  componentDidCatch(error: Error) {
    this.setState({ error });
  }
  render() {
    const e = this.state.error;
    if (!e) return this.props.children;
    return (
      <div class="error-screen">
        <h1>{texts().errorTitle}</h1>
        <pre>{String(e.message)}</pre>
        <pre>{String(e.stack ?? '')}</pre>
      </div>
    );
  }
}

function useViewport() {
  const [size, setSize] = useState({ w: window.innerWidth, h: window.innerHeight });
  useEffect(() => {
    const on = () => setSize({ w: window.innerWidth, h: window.innerHeight });
    window.addEventListener('resize', on);
    return () => window.removeEventListener('resize', on);
  }, []);
  return size;
}

function ToneArea() {
  const s = bank.value;
  const first = s.expandedTones || lowerMounted.value ? 'upper' : s.editTarget === 'lowerTone' ? 'lower' : 'upper';
  return (
    <div class="tone-area">
      <div class="tone-slot" style={{ visibility: upperShown.value ? 'visible' : 'hidden' }}>
        <TonePanel part={first} />
      </div>
      {lowerMounted.value && (
        <div class="tone-slot" style={{ visibility: upperShown.value ? 'visible' : 'hidden' }}>
          <TonePanel part="lower" />
        </div>
      )}
    </div>
  );
}

/** Width the instrument view is laid out for; narrower windows show it scaled down as a whole. */
const kDesignWidth = 1180;

function InstrumentView() {
  const { w, h } = useViewport();
  const [root, setRoot] = useState<HTMLElement | null>(null);
  if (!schemaReady.value) return <div class="waiting">{texts().waitingForSchema}</div>;
  const scale = layoutScale(w, h, lowerMounted.value);
  const fit = Math.min(1, w / kDesignWidth);
  const cls = 'instrument' + (w < kNarrowLayoutWidth ? ' narrow' : '') + (prefs.value.flowOverlayEnabled ? ' flow-on' : '');
  return (
    <div class={cls} style={{ '--s': String(scale) }} data-scale={scale.toFixed(3)}>
      <div class="stage" ref={setRoot} style={{ width: `${100 / fit}%`, height: `${100 / fit}%`, transform: fit < 1 ? `scale(${fit})` : 'none' }}>
        <Header />
        <div class="bars">
          <PatchBar />
          <ToneMenus />
          <SysexButton />
        </div>
        <ToneArea />
        <div class="bottom">
          <PerformanceStrip />
          <EffectChain />
          <Wheels />
          <VolumeSection />
        </div>
        <LearnOverlay root={root} scale={fit} />
      </div>
      <ResizeGrip />
      <SaveAsDialog />
      <BankBuilder />
      <Dialog />
    </div>
  );
}

function EffectsView() {
  return (
    <div class="instrument fx-only">
      <Header />
      <EffectChain />
      <Dialog />
    </div>
  );
}

export function App() {
  const v = variant.value;
  let view;
  if (v === 'fx') view = <EffectsView />;
  else if (hasHostBridge() && v === null) view = <div class="blank" />;
  else view = <InstrumentView />;
  return <ErrorBoundary>{view}</ErrorBoundary>;
}
